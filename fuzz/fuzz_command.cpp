// Arbitrary bytes through the stream framer, the datagram framer and ProcessCommand,
// with instruments on a few channels and a filtering interface.
#include <cstddef>
#include <cstdint>

#include "core/uFramer.h"
#include "core/uIXElementBase.h"
#include "core/uTerminal.h"
#include "core/uViews.h"
#include "ports/uPorts.h"

using namespace tessaro;

namespace {

struct Triggers : TInstrumentTriggers {
  TTerminal* Term;
  void Calculate(TIXElementBase& e) override {
    e.NewValue(Term->ChannelValue(e.ReferencedChannels[0]));
  }
  void UpdateText(TIXElementBase& e) override {
    e.NewText(Term->Channel(e.ReferencedChannels[0]).Text);
  }
};

struct Console : TConsoleSink {
  size_t Bytes = 0;
  bool Receive(std::string_view t) override {
    Bytes += t.size();
    return true;
  }
  void RunStart() override {}
  void RunStop() override {}
  bool ActiveOrRecording() const override { return true; }
  void Update() override {}
};

struct FilterPort : TIXPort {
  void Disconnect() override {}
  void StartReceiving() override {}
  void SendText(std::string_view) override {}
};

struct World {
  TTerminal Term;
  Triggers Trig;
  Console Cons;
  TIXElementBase Elements[4];
  FilterPort* Port;
  World() {
    Trig.Term = &Term;
    Term.SetTriggers(&Trig);
    Term.SetConsole(&Cons);
    const int channels[] = {1, 5, 99, 999};
    for (int i = 0; i < 4; ++i) {
      Elements[i].InputMode = 1;
      Elements[i].CompiledOk = true;
      Elements[i].ReferencedChannels.Add(channels[i]);
      Term.AddDependent(channels[i], &Elements[i]);
    }
    Port = new FilterPort;
    Port->FilterActive.store(true);
    Port->FilterMin.store(90);
    Port->FilterMax.store(100);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World w;
  const char* text = reinterpret_cast<const char*>(data);
  TFramer stream;
  size_t half = size / 2;
  auto sink = [&](std::string_view frame, bool notify) {
    w.Term.ReceiveFrame(frame, w.Port, notify);
  };
  stream.Feed(text, half, sink);
  stream.Feed(text + half, size - half, sink);
  TFramer::ScanDatagram(text, size, sink);
  // The raw bytes as one command, as the receive simulation passes them.
  w.Term.ReceiveSimulation(std::string_view(text, size));
  w.Term.ProcessCommand(std::string_view(text, size < 300 ? size : 300), nullptr, true);
  return 0;
}
