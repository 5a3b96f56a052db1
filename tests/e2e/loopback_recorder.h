// An HTTP server on 127.0.0.1 that answers every request with a small page
// and records each request line and its User-Agent header.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmora::testing {

struct RecordedRequest {
  std::string line;  // e.g. "GET http://www.velmora.example/?tobim HTTP/1.1"
  std::string userAgent;
};

class LoopbackRecorder {
 public:
  enum class Answering { Fully, CloseMidResponse };
  explicit LoopbackRecorder(Answering answering = Answering::Fully);
  ~LoopbackRecorder();
  LoopbackRecorder(const LoopbackRecorder&) = delete;
  LoopbackRecorder& operator=(const LoopbackRecorder&) = delete;

  bool Listening() const { return listener_ != INVALID_SOCKET; }
  int Port() const { return port_; }
  std::vector<RecordedRequest> Requests();
  // Waits until a request satisfying `match` has arrived; the first such one.
  bool WaitFor(const std::function<bool(const RecordedRequest&)>& match, int timeoutMs, RecordedRequest* found);
  void Clear();

 private:
  void Serve();
  void Answer(SOCKET client);

  Answering answering_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<RecordedRequest> requests_;
  std::thread thread_;
};

// "GET http://host/path HTTP/1.1" -> "http://host/path"
std::string RequestTarget(const RecordedRequest& request);

// A loopback port on which nothing listens, so connections are refused.
int RefusingPort();

}  // namespace velmora::testing
