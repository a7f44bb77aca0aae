// Where the report writer reports progress (the command draws a bar on a terminal).
#pragma once

class ProgressReporter {
 public:
  virtual ~ProgressReporter() = default;
  virtual void Update(int position, int total) = 0;
  virtual void Done() = 0;
};
