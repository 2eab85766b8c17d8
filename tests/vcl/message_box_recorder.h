#pragma once
// Answers the program's message boxes in a test: records each request and
// answers from a queue. A box that finds the queue empty was not expected:
// it fails the test and is answered IDCANCEL instead of blocking.

#include <deque>
#include <vector>

#include "vcl/message_boxes.h"

class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(std::deque<int> answers = {});
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  std::deque<int> answers;
  std::vector<TMessageBoxRequest> requests;

 private:
  MessageBoxRecorder* previous_;  // recorders nest
  ScopedMessageBoxResponder scope_;
};
