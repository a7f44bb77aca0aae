// Linked into every test program: what the command does at its start, before any report runs.
#include "render/ImageDecoding.h"

namespace {

const bool kHostReady = [] {
  InstallImageDecoding();
  return true;
}();

}  // namespace
