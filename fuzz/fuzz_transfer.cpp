// Transfer against arbitrary answer bytes through the in-process pipe: the client must take
// exactly one frame, report it answered exactly when the frame is complete, never read beyond
// it, and end with the end marker.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exchange/ipc_client.h"
#include "fake_host.h"

namespace {

constexpr uint64_t kMaxLength = 0x7FFFFFFF;

// Length of the complete frame at the start of the bytes, or 0 when there is none.
size_t FrameLength(const std::string& b) {
  if (b.size() < 8) return 0;
  uint64_t l = robust::ReadLE(b, 0, 8);
  if (l > kMaxLength || l > b.size() - 8) return 0;
  size_t at = 8 + static_cast<size_t>(l);
  if (b.size() - at < 8) return 0;
  uint64_t d = robust::ReadLE(b, at, 8);
  at += 8;
  if (d > kMaxLength || d > b.size() - at) return 0;
  return at + static_cast<size_t>(d);
}

}  // namespace

// Input: one control byte (piece size, 234 on reads), then the answer bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t control = data[0];
  const std::string answer(reinterpret_cast<const char*>(data + 1), size - 1);

  robust::FakeHost host;
  robust::Script script;
  script.raw = answer;
  script.piece = control & 0x3F;
  script.moreData = (control & 0x40) != 0;
  host.scripts.push_back(script);

  exchange::TIPCClient client;
  client.SelectServer("fuzz");
  exchange::MessageRef request = exchange::NewMessage();
  request->GetData().PutString(u"COMMAND", u"TAXH");
  request->GetData().PutInteger(u"INDEX", -1);
  request->GetData().PutBoolean(u"SYNC", true);
  exchange::MessageRef reply;
  client.Exchange(request, 5000, reply);

  const size_t frame = FrameLength(answer);
  if (client.Answered != (frame > 0)) std::abort();
  if (!reply) std::abort();  // the request went out, so an answer object exists
  if (client.Answered) {
    if (host.answerBytesLeft != answer.size() - frame) std::abort();
    size_t l = static_cast<size_t>(robust::ReadLE(answer, 0, 8));
    std::string id;
    reply->GetID(id);
    if (id != answer.substr(8, l)) std::abort();
    if (reply->GetData().Bytes() != answer.substr(16 + l, frame - 16 - l)) std::abort();
    if (!client.ErrorDesc.empty()) std::abort();
    reply->GetData().GetString(u"DATA");
  } else if (client.ErrorDesc.empty()) {
    std::abort();
  }
  if (host.requests.size() != 1 || !host.requests[0].endMarker) std::abort();
  if (client.Connected) std::abort();

  return 0;
}
