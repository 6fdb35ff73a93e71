#include "platform/linux/helper/HelperProtocol.h"

#include <algorithm>

namespace {

constexpr size_t kHeaderSize = 6;
constexpr uint8_t kMagic[2] = {'O', 'T'};
constexpr size_t kMaxErrorLength = kHelperMessageMax - kHeaderSize - 5;

class TWriter {
 public:
  explicit TWriter(THelperRequestKind kind) : FBytes{kMagic[0], kMagic[1], kHelperProtocolVersion,
                                                     static_cast<uint8_t>(kind), 0, 0} {}
  void U8(uint8_t value) { FBytes.push_back(value); }
  void U16(uint16_t value) {
    U8(static_cast<uint8_t>(value));
    U8(static_cast<uint8_t>(value >> 8));
  }
  void U32(uint32_t value) {
    U16(static_cast<uint16_t>(value));
    U16(static_cast<uint16_t>(value >> 16));
  }
  void Text(const std::string& text) { FBytes.insert(FBytes.end(), text.begin(), text.end()); }
  std::vector<uint8_t> Finish() {
    const size_t body = FBytes.size() - kHeaderSize;
    FBytes[4] = static_cast<uint8_t>(body);
    FBytes[5] = static_cast<uint8_t>(body >> 8);
    return std::move(FBytes);
  }

 private:
  std::vector<uint8_t> FBytes;
};

class TReader {
 public:
  TReader(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
  size_t Left() const { return FSize - FAt; }
  uint8_t U8() { return FData[FAt++]; }
  uint16_t U16() {
    uint16_t low = U8();
    return static_cast<uint16_t>(low | (U8() << 8));
  }
  uint32_t U32() {
    uint32_t low = U16();
    return low | (static_cast<uint32_t>(U16()) << 16);
  }
  std::string Text(size_t length) {
    std::string text(reinterpret_cast<const char*>(FData + FAt), length);
    FAt += length;
    return text;
  }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FAt = 0;
};

// The body's size for each request kind; nullopt for an unknown kind.
std::optional<size_t> RequestBodySize(uint8_t kind) {
  switch (static_cast<THelperRequestKind>(kind)) {
    case THelperRequestKind::Hello:
      return 0;
    case THelperRequestKind::Intercept:
      return 9;
    case THelperRequestKind::OpenPort:
    case THelperRequestKind::Release:
      return 4;
    case THelperRequestKind::TerminateTcp:
      return 12;
    case THelperRequestKind::ResolveNeighbour:
      return 8;
  }
  return std::nullopt;
}

// Checks the header; returns the reader positioned on the body.
std::optional<TReader> OpenMessage(const uint8_t* data, size_t size, uint8_t& kind, std::string& why) {
  if (size < kHeaderSize) {
    why = "message shorter than its header";
    return std::nullopt;
  }
  if (size > kHelperMessageMax) {
    why = "message longer than " + std::to_string(kHelperMessageMax) + " bytes";
    return std::nullopt;
  }
  if (data[0] != kMagic[0] || data[1] != kMagic[1]) {
    why = "not a helper message";
    return std::nullopt;
  }
  if (data[2] != kHelperProtocolVersion) {
    why = "protocol version " + std::to_string(data[2]) + " (this side speaks " +
          std::to_string(kHelperProtocolVersion) + ")";
    return std::nullopt;
  }
  kind = data[3];
  const size_t body = data[4] | (static_cast<size_t>(data[5]) << 8);
  if (body != size - kHeaderSize) {
    why = "body length " + std::to_string(body) + " does not match the message";
    return std::nullopt;
  }
  if (!RequestBodySize(kind)) {
    why = "unknown request kind " + std::to_string(kind);
    return std::nullopt;
  }
  return TReader(data + kHeaderSize, body);
}

bool ValidAttach(uint8_t value) { return value <= static_cast<uint8_t>(THelperAttach::ClsBpf); }

bool NeedsAdapter(THelperRequestKind kind) {
  return kind == THelperRequestKind::Intercept || kind == THelperRequestKind::OpenPort ||
         kind == THelperRequestKind::Release || kind == THelperRequestKind::ResolveNeighbour;
}

}  // namespace

std::vector<uint8_t> EncodeHelperRequest(const THelperRequest& request) {
  TWriter writer(request.Kind);
  switch (request.Kind) {
    case THelperRequestKind::Hello:
      break;
    case THelperRequestKind::Intercept:
      writer.U32(request.Adapter);
      writer.U32(request.QueueFlags);
      writer.U8(static_cast<uint8_t>(request.Attach));
      break;
    case THelperRequestKind::OpenPort:
    case THelperRequestKind::Release:
      writer.U32(request.Adapter);
      break;
    case THelperRequestKind::TerminateTcp:
      writer.U32(request.LocalAddress);
      writer.U16(request.LocalPort);
      writer.U32(request.RemoteAddress);
      writer.U16(request.RemotePort);
      break;
    case THelperRequestKind::ResolveNeighbour:
      writer.U32(request.Adapter);
      writer.U32(request.Neighbour);
      break;
  }
  return writer.Finish();
}

std::optional<THelperRequest> DecodeHelperRequest(const uint8_t* data, size_t size, std::string& why) {
  uint8_t kindByte = 0;
  std::optional<TReader> reader = OpenMessage(data, size, kindByte, why);
  if (!reader) return std::nullopt;
  if (reader->Left() != *RequestBodySize(kindByte)) {
    why = "request " + std::to_string(kindByte) + " with a body of " + std::to_string(reader->Left()) + " bytes";
    return std::nullopt;
  }
  THelperRequest request;
  request.Kind = static_cast<THelperRequestKind>(kindByte);
  switch (request.Kind) {
    case THelperRequestKind::Hello:
      break;
    case THelperRequestKind::Intercept: {
      request.Adapter = reader->U32();
      request.QueueFlags = reader->U32();
      const uint8_t attach = reader->U8();
      if (request.QueueFlags < 1 || request.QueueFlags > 3) {
        why = "adapter mode " + std::to_string(request.QueueFlags) + " does not intercept";
        return std::nullopt;
      }
      if (!ValidAttach(attach)) {
        why = "unknown hook kind " + std::to_string(attach);
        return std::nullopt;
      }
      request.Attach = static_cast<THelperAttach>(attach);
      break;
    }
    case THelperRequestKind::OpenPort:
    case THelperRequestKind::Release:
      request.Adapter = reader->U32();
      break;
    case THelperRequestKind::TerminateTcp:
      request.LocalAddress = reader->U32();
      request.LocalPort = reader->U16();
      request.RemoteAddress = reader->U32();
      request.RemotePort = reader->U16();
      break;
    case THelperRequestKind::ResolveNeighbour:
      request.Adapter = reader->U32();
      request.Neighbour = reader->U32();
      if (request.Neighbour == 0) {
        why = "no neighbour has address 0.0.0.0";
        return std::nullopt;
      }
      break;
  }
  if (NeedsAdapter(request.Kind) && request.Adapter == 0) {
    why = "no adapter has index 0";
    return std::nullopt;
  }
  return request;
}

std::vector<uint8_t> EncodeHelperAnswer(const THelperAnswer& answer) {
  TWriter writer(answer.Kind);
  writer.U8(answer.Ok ? 1 : 0);
  writer.U8(static_cast<uint8_t>(answer.Attach));
  writer.U8(answer.FdCount);
  const std::string error = answer.Error.substr(0, kMaxErrorLength);
  writer.U16(static_cast<uint16_t>(error.size()));
  writer.Text(error);
  return writer.Finish();
}

std::optional<THelperAnswer> DecodeHelperAnswer(const uint8_t* data, size_t size, std::string& why) {
  uint8_t kindByte = 0;
  std::optional<TReader> reader = OpenMessage(data, size, kindByte, why);
  if (!reader) return std::nullopt;
  if (reader->Left() < 5) {
    why = "answer shorter than its fields";
    return std::nullopt;
  }
  THelperAnswer answer;
  answer.Kind = static_cast<THelperRequestKind>(kindByte);
  const uint8_t ok = reader->U8();
  const uint8_t attach = reader->U8();
  answer.FdCount = reader->U8();
  const size_t errorLength = reader->U16();
  if (ok > 1 || !ValidAttach(attach) || answer.FdCount > kHelperMaxFds || (ok == 0 && answer.FdCount != 0) ||
      errorLength != reader->Left()) {
    why = "answer fields out of range";
    return std::nullopt;
  }
  answer.Ok = ok == 1;
  answer.Attach = static_cast<THelperAttach>(attach);
  answer.Error = reader->Text(errorLength);
  if (answer.Ok == answer.Error.empty()) return answer;
  why = answer.Ok ? "a granted answer with an error" : "a refusal without its reason";
  return std::nullopt;
}
