#pragma once
// An AF_PACKET socket bound to one adapter: it sends frames straight to the
// adapter's transmit path carrying the re-injection mark, and holds the
// adapter promiscuous while asked to (the kernel drops that membership by
// itself when the socket closes). It receives nothing.
#include <sys/uio.h>

#include <cstdint>

#include "common/FileDescriptor.h"

class TPacketSocket {
 public:
  TPacketSocket(uint32_t adapterIndex, uint32_t mark);
  // Takes over a socket that someone else opened, bound and marked (the
  // helper); only the binding is checked here.
  TPacketSocket(TFileDescriptor socket, uint32_t adapterIndex);

  int Fd() const { return FSocket.Get(); }
  // Hands the socket over (to a process that received the interception).
  TFileDescriptor Release() && { return std::move(FSocket); }

  // Sends one frame without waiting; false when the kernel refuses it (a
  // full send buffer, a dropping queue, an adapter that is down or gone).
  bool Send(const iovec* pieces, int count);
  void SetPromiscuous(bool on);
  bool Promiscuous() const { return FPromiscuous; }

 private:
  TFileDescriptor FSocket;
  uint32_t FAdapterIndex;
  bool FPromiscuous = false;
};
