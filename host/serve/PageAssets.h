// The page's files (HTML, CSS, JavaScript), compiled into the command from host/serve/page/:
// nothing is read from disk or fetched from elsewhere at run time.
#pragma once

#include <map>
#include <string>
#include <string_view>

struct PageAsset {
  std::string_view ContentType;
  std::string_view Body;
};

// By path: "/index.html", "/app.js", "/style.css".
const std::map<std::string, PageAsset>& PageAssets();
