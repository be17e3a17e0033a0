#include "ports/uURLPort.h"

#include <curl/curl.h>

#include <chrono>
#include <mutex>

#include "core/uFramer.h"
#include "core/uNotifications.h"
#include "core/uTerminal.h"
#include "core/uTrace.h"
#include "core/uVirtualTickCount64.h"

namespace tessaro {

namespace {

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t'))
    ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
    --e;
  return s.substr(b, e - b);
}

// The watchdog looks at least this often; an expiry is also seen at once through the
// condition variable's deadline.
constexpr int WatchStepMs = 100;

}  // namespace

// ---------------------------------------------------------------- watchdog

TTimeoutThread::TTimeoutThread(TURLPort& port) : Port(port) {
  Thread = std::thread([this] { Loop(); });
}

TTimeoutThread::~TTimeoutThread() {
  {
    std::lock_guard<std::mutex> g(Lock);
    Quit = true;
  }
  Wake.notify_all();
  Thread.join();
}

uint64_t TTimeoutThread::Arm(int ms) {
  uint64_t watch = ++Watches;
  Deadline.store(GetTickCount64() + static_cast<uint64_t>(ms < 0 ? 0 : ms));
  {
    std::lock_guard<std::mutex> g(Lock);
    ArmedWatch.store(watch);
  }
  Wake.notify_all();
  return watch;
}

void TTimeoutThread::Disarm() {
  ArmedWatch.store(0);
}

void TTimeoutThread::Loop() {
  std::unique_lock<std::mutex> lk(Lock);
  while (!Quit) {
    uint64_t watch = ArmedWatch.load();
    if (watch == 0) {
      Wake.wait_for(lk, std::chrono::milliseconds(WatchStepMs));
      continue;
    }
    uint64_t now = GetTickCount64();
    uint64_t deadline = Deadline.load();
    if (now < deadline) {
      uint64_t wait = deadline - now;
      Wake.wait_for(lk, std::chrono::milliseconds(wait < WatchStepMs ? wait : WatchStepMs));
      continue;
    }
    if (ArmedWatch.compare_exchange_strong(watch, 0)) {
      Trace("TIMEOUT!");
      Port.AbortTransfer(watch);
    }
  }
}

// ---------------------------------------------------------------- TURLPort

TURLPort::TURLPort() {
  Queue.OnOverflow = [] { Notifications.SendLoss.store(true, std::memory_order_relaxed); };
}

TURLPort::~TURLPort() {
  Disconnect();
}

void TURLPort::AbortTransfer(uint64_t watch) {
  Aborts.fetch_add(1);
  AbortedWatch.store(watch, std::memory_order_release);
  curl_multi_wakeup(Multi);
}

namespace {

struct TReplySink {
  std::string* Body;
  bool* Cut;
};

size_t WriteReply(char* data, size_t size, size_t count, void* user) {
  auto* s = static_cast<TReplySink*>(user);
  size_t n = size * count;
  size_t room = UrlMaxReply - s->Body->size();
  if (n > room) {
    // Keep the first part and end the transfer: the rest is never scanned.
    s->Body->append(data, room);
    *s->Cut = true;
    return 0;
  }
  s->Body->append(data, n);
  return n;
}

}  // namespace

bool TURLPort::Perform(bool post, std::string_view body, int ms) {
  Requests.fetch_add(1);
  Reply.clear();
  ReplyCut = false;
  TReplySink sink{&Reply, &ReplyCut};
  curl_easy_setopt(Easy, CURLOPT_WRITEDATA, &sink);
  if (post) {
    curl_easy_setopt(Easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(Easy, CURLOPT_COPYPOSTFIELDS, std::string(body).c_str());
  } else {
    curl_easy_setopt(Easy, CURLOPT_HTTPGET, 1L);
  }
  if (curl_multi_add_handle(Multi, Easy) != CURLM_OK) return false;
  const uint64_t watch = ms > 0 ? Watchdog->Arm(ms) : 0;  // 0 or less: no time-out
  CURLcode result = CURLE_OK;
  bool done = false;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(Multi, &running) != CURLM_OK) break;
    int left = 0;
    while (CURLMsg* m = curl_multi_info_read(Multi, &left)) {
      if (m->msg == CURLMSG_DONE) {
        result = m->data.result;
        done = true;
      }
    }
    if (done || !running) break;
    if (Stop.load() || (watch && AbortedWatch.load(std::memory_order_acquire) == watch)) break;
    curl_multi_poll(Multi, nullptr, 0, WatchStepMs, nullptr);
  }
  Watchdog->Disarm();
  curl_multi_remove_handle(Multi, Easy);
  if (!done) return false;
  if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && ReplyCut)) return false;
  long status = 0;
  curl_easy_getinfo(Easy, CURLINFO_RESPONSE_CODE, &status);
  // Refused credentials are a failed request, not a reply to scan.
  return status != 401 && status != 407;
}

void TURLPort::Connect() {
  if (IsConnected()) {
    Trace("URL: Verbindung ist bereits vorhanden");
    return;
  }
  Url = TrimBlanks(Url);
  if (Url.empty()) return;
  GlobalInit();
  Multi = curl_multi_init();
  Easy = curl_easy_init();
  bool ok = Multi && Easy;
  if (ok) {
    curl_easy_setopt(Easy, CURLOPT_URL, Url.c_str());
    curl_easy_setopt(Easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(Easy, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(Easy, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    // A device on this machine is never reached through a proxy.
    curl_easy_setopt(Easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    curl_easy_setopt(Easy, CURLOPT_WRITEFUNCTION, &WriteReply);
    if (!UserName.empty()) {
      curl_easy_setopt(Easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
      curl_easy_setopt(Easy, CURLOPT_USERNAME, UserName.c_str());
      curl_easy_setopt(Easy, CURLOPT_PASSWORD, Password.c_str());
    }
    curl_easy_setopt(Easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(UrlTestTimeoutMs));
    Stop.store(false);
    Watchdog = new TTimeoutThread(*this);
    ok = Perform(false, {}, UrlTestTimeoutMs);
    curl_easy_setopt(Easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(Timeout > 0 ? Timeout : 0));
  }
  Trace(ok ? "URL: Test erfolgreich" : "URL: Test fehlgeschlagen");
  Connected.store(ok, std::memory_order_release);
  TIXPort::Connect();
}

void TURLPort::StartReceiving() {
  if (!IsConnected() || Thread.joinable()) return;
  Thread = std::thread([this, router = TPortList::Instance().Router()] { RequestLoop(router); });
}

void TURLPort::SendText(std::string_view text) {
  if (!IsConnected()) return;
  Queue.Push(text);
  { std::lock_guard<std::mutex> g(WakeLock); }
  WakeCv.notify_one();
}

void TURLPort::RequestLoop(TTerminal* router) {
  Trace("Thread started");
  auto sink = [this, router](std::string_view frame, bool notify) {
    Deliver(router, this, frame, notify);
  };
  while (!Stop.load()) {
    {
      std::unique_lock<std::mutex> lk(WakeLock);
      WakeCv.wait_for(lk, std::chrono::milliseconds(10),
                      [this] { return Stop.load() || Queue.Pending() > 0; });
    }
    if (Stop.load() || !Queue.BeginRead()) continue;
    while (!Stop.load() && Queue.Next()) {
      const std::string& text = Queue.Read();
      bool ok = Perform(true, text, Timeout);
      if (!ok || Reply.empty()) continue;
      EchoToTerminal(Reply.data(), Reply.size());
      TFramer::ScanDatagram(Reply.data(), Reply.size(), sink);
    }
    // The rest of an interrupted batch is dropped with the connection.
    while (Queue.Next()) {
    }
    EchoToTerminal('|');
    if (Reply.capacity() > 65536) std::string().swap(Reply);  // give back a big reply
  }
  Trace("Thread stopped");
}

void TURLPort::Disconnect() {
  Connected.store(false, std::memory_order_release);
  if (Thread.joinable()) {
    {
      std::lock_guard<std::mutex> g(WakeLock);
      Stop.store(true);
    }
    WakeCv.notify_all();
    curl_multi_wakeup(Multi);
    Thread.join();
  }
  FreeHandles();
}

void TURLPort::FreeHandles() {
  delete Watchdog;  // joins the watchdog before the handles go
  Watchdog = nullptr;
  if (Easy) curl_easy_cleanup(Easy);
  if (Multi) curl_multi_cleanup(Multi);
  Easy = nullptr;
  Multi = nullptr;
  Queue.Clear();
  Reply.clear();
}

// ---------------------------------------------------------------- project section

TFLSet& UrlPortSection() {
  static TFLSet set("IXURLPORT", [] { return static_cast<void*>(new TURLPort); });
  static const bool bound = [] {
    TFLBinder<TURLPort> b(set);
    b.Bind<TFLEBool, &TURLPort::GetDisabled, &TURLPort::SetDisabled>("disabled");
    b.Bind<TFLEString, &TURLPort::GetUrl, &TURLPort::SetUrl>("url");
    b.Bind<TFLEInteger, &TURLPort::GetTimeout, &TURLPort::SetTimeout>("timeout");
    b.Bind<TFLEString, &TURLPort::GetUserName, &TURLPort::SetUserName>("username");
    b.Bind<TFLEString, &TURLPort::GetPassword, &TURLPort::SetPassword>("passwort");
    BindPortFilter(b);
    return true;
  }();
  (void)bound;
  return set;
}

TFLItem TURLPort::FileItem() {
  return {&UrlPortSection(), static_cast<void*>(this), false};
}

}  // namespace tessaro
