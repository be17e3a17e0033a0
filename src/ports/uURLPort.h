// The URL interface: every outgoing command is the body of an HTTP POST to the URL, and
// the reply body is scanned for incoming commands like one datagram. Plain HTTP only.
//
// Threads:
// - Configuration, Connect (with its test GET), Disconnect and StartReceiving run in
//   the main thread.
// - SendText runs in the transmit thread and only pushes onto the request queue (100
//   entries; an overflow loses the command and sets SendLoss).
// - The request thread drains the queue and performs the requests on one easy handle
//   driven through a multi handle; it is the only thread that touches the handles.
// - The watchdog thread aborts a request that outlives its time-out: Arm/Disarm write
//   the atomic deadline and armed flag; on expiry it raises Abort and wakes the multi
//   handle (curl_multi_wakeup is safe from any thread), so the request ends at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/uBuffer.h"
#include "ports/uPorts.h"

typedef void CURL;
typedef void CURLM;

namespace tessaro {

class TTerminal;

constexpr int UrlQueueCapacity = 100;
constexpr int UrlDefaultTimeoutMs = 60000;
constexpr int UrlTestTimeoutMs = 1000;
// Only this much of a reply is kept and scanned.
constexpr size_t UrlMaxReply = 16u * 1024u * 1024u;

class TURLPort;

// Watches one request at a time: Arm before it, Disarm after it.
class TTimeoutThread {
 public:
  explicit TTimeoutThread(TURLPort& port);
  ~TTimeoutThread();
  TTimeoutThread(const TTimeoutThread&) = delete;
  TTimeoutThread& operator=(const TTimeoutThread&) = delete;

  // Returns the number of this watch; an abort names the watch it ends, so a late
  // abort can never hit the next request.
  uint64_t Arm(int ms);
  void Disarm();
  bool IsArmed() const { return ArmedWatch.load() != 0; }

 private:
  void Loop();

  TURLPort& Port;
  std::atomic<uint64_t> Deadline{0};
  std::atomic<uint64_t> ArmedWatch{0};  // 0: disarmed
  uint64_t Watches = 0;                 // the arming thread's counter
  std::mutex Lock;                      // for the wake-up only
  std::condition_variable Wake;
  bool Quit = false;
  std::thread Thread;
};

class TURLPort : public TIXPort {
 public:
  TURLPort();
  ~TURLPort() override;

  void Connect() override;
  void Disconnect() override;
  void StartReceiving() override;
  void SendText(std::string_view text) override;
  std::string Summary() const override { return "URL " + Url; }
  TFLItem FileItem() override;

  const std::string& GetUrl() const { return Url; }
  void SetUrl(const std::string& v) { Url = v; }
  const std::string& GetUserName() const { return UserName; }
  void SetUserName(const std::string& v) { UserName = v; }
  const std::string& GetPassword() const { return Password; }
  void SetPassword(const std::string& v) { Password = v; }
  int GetTimeout() const { return Timeout; }
  void SetTimeout(int ms) { Timeout = ms; }

  // Requests performed and requests ended by the watchdog (for tests and diagnostics).
  int RequestCount() const { return Requests.load(); }
  int AbortCount() const { return Aborts.load(); }

 private:
  friend class TTimeoutThread;
  // The watchdog's abort: the running request ends as failed.
  void AbortTransfer(uint64_t watch);
  // One request on the easy handle under a watch of ms; the reply body (at most
  // UrlMaxReply) in Reply.
  bool Perform(bool post, std::string_view body, int ms);
  void RequestLoop(TTerminal* router);
  void FreeHandles();

  std::string Url;
  std::string UserName;
  std::string Password;
  int Timeout = UrlDefaultTimeoutMs;

  CURLM* Multi = nullptr;
  CURL* Easy = nullptr;
  std::string Reply;
  bool ReplyCut = false;
  TStringBuffer Queue{UrlQueueCapacity};
  TTimeoutThread* Watchdog = nullptr;

  std::atomic<uint64_t> AbortedWatch{0};
  std::atomic<bool> Stop{false};
  std::mutex WakeLock;
  std::condition_variable WakeCv;
  std::thread Thread;
  std::atomic<int> Requests{0};
  std::atomic<int> Aborts{0};
};

// The project-file section "IXURLPORT".
TFLSet& UrlPortSection();

}  // namespace tessaro
