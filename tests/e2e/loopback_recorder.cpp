#include "loopback_recorder.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <cctype>

namespace velmora::testing {
namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

LoopbackRecorder::LoopbackRecorder(Answering answering) : answering_(answering) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) return;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // loopback only, never another host
  address.sin_port = 0;
  int length = sizeof(address);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener_, 64) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closesocket(listener_);
    listener_ = INVALID_SOCKET;
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackRecorder::~LoopbackRecorder() {
  stopping_ = true;
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  if (thread_.joinable()) thread_.join();
  WSACleanup();
}

void LoopbackRecorder::Serve() {
  while (!stopping_) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval wait = {0, 100000};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    Answer(client);
    closesocket(client);
  }
}

void LoopbackRecorder::Answer(SOCKET client) {
  DWORD timeout = 5000;
  setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
  std::string received;
  char buffer[8192];
  while (received.find("\r\n\r\n") == std::string::npos && received.size() < (1u << 26)) {
    int got = recv(client, buffer, sizeof(buffer), 0);
    if (got <= 0) break;
    received.append(buffer, static_cast<size_t>(got));
  }
  size_t lineEnd = received.find("\r\n");
  if (lineEnd == std::string::npos) return;
  RecordedRequest request;
  request.line = received.substr(0, lineEnd);
  std::string headers = received.substr(lineEnd + 2);
  std::string lowered = Lower(headers);
  size_t at = lowered.find("\r\nuser-agent:");
  if (lowered.rfind("user-agent:", 0) == 0) at = 0; else if (at != std::string::npos) at += 2;
  if (at != std::string::npos) {
    size_t valueStart = headers.find(':', at) + 1;
    while (valueStart < headers.size() && headers[valueStart] == ' ') ++valueStart;
    size_t valueEnd = headers.find("\r\n", valueStart);
    request.userAgent = headers.substr(valueStart, valueEnd - valueStart);
  }
  static const std::string body = "<html><head><title>Recorder</title></head><body>recorded</body></html>";
  std::string response = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                         std::to_string(body.size()) + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
  // Cut off inside the headers, as a server that dies mid-answer would.
  size_t length = answering_ == Answering::CloseMidResponse ? response.size() / 3 : response.size();
  send(client, response.data(), static_cast<int>(length), 0);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
  }
  arrived_.notify_all();
}

std::vector<RecordedRequest> LoopbackRecorder::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackRecorder::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}

bool LoopbackRecorder::WaitFor(const std::function<bool(const RecordedRequest&)>& match, int timeoutMs,
                               RecordedRequest* found) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    for (const RecordedRequest& r : requests_) {
      if (match(r)) {
        if (found != nullptr) *found = r;
        return true;
      }
    }
    if (arrived_.wait_until(lock, deadline) == std::cv_status::timeout) return false;
  }
}

int RefusingPort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof(address);
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(probe);  // the port was free a moment ago and nothing listens on it now
  WSACleanup();
  return ntohs(address.sin_port);
}

std::string RequestTarget(const RecordedRequest& request) {
  size_t first = request.line.find(' ');
  size_t last = request.line.rfind(' ');
  if (first == std::string::npos || last <= first) return std::string();
  std::string target = request.line.substr(first + 1, last - first - 1);
  // The proxied form names the default port ("http://host:80/path"); the
  // address the user typed does not.
  size_t hostStart = target.find("://");
  if (hostStart != std::string::npos) {
    size_t pathStart = target.find('/', hostStart + 3);
    size_t port = target.rfind(":80", pathStart);
    if (port != std::string::npos && port > hostStart + 3 && port + 3 == pathStart) target.erase(port, 3);
  }
  return target;
}

}  // namespace velmora::testing
