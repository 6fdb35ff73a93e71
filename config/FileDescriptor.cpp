#include "config/FileDescriptor.h"

#include <unistd.h>

void TFileDescriptor::Reset() {
  if (FFd >= 0) {
    // The descriptor is gone after close() even when it reports an error, so
    // there is nothing to retry.
    ::close(FFd);
    FFd = -1;
  }
}
