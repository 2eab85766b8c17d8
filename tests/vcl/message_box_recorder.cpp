#include "message_box_recorder.h"

#include <gtest/gtest.h>

namespace {

MessageBoxRecorder* g_current = nullptr;

int Answer(const TMessageBoxRequest& request) {
  MessageBoxRecorder& recorder = *g_current;
  recorder.requests.push_back(request);
  if (recorder.answers.empty()) {
    ADD_FAILURE() << "unexpected message box: " << StringToUtf8(request.text);
    return IDCANCEL;
  }
  const int answer = recorder.answers.front();
  recorder.answers.pop_front();
  return answer;
}

}  // namespace

MessageBoxRecorder::MessageBoxRecorder(std::deque<int> queued)
    : answers(std::move(queued)), previous_(g_current), scope_(&Answer) {
  g_current = this;
}

MessageBoxRecorder::~MessageBoxRecorder() {
  EXPECT_TRUE(answers.empty()) << answers.size() << " expected message box(es) never shown";
  g_current = previous_;
}
