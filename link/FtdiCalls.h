#pragma once
// The libftdi functions the libftdi backend calls, as one table, so that a test can put a fake
// device behind the backend's own buffering. The program always uses LibftdiCalls().

#include <ftdi.h>

namespace tavlex {

struct FtdiCalls {
  decltype(&ftdi_new) newContext;
  decltype(&ftdi_free) freeContext;
  decltype(&ftdi_usb_find_all) findAll;
  decltype(&ftdi_list_free) listFree;
  decltype(&ftdi_usb_get_strings) getStrings;
  decltype(&ftdi_usb_open_dev) openDev;
  decltype(&ftdi_usb_close) close;
  decltype(&ftdi_usb_reset) reset;
  decltype(&ftdi_set_latency_timer) setLatencyTimer;
  decltype(&ftdi_tciflush) tciflush;
  decltype(&ftdi_tcoflush) tcoflush;
  decltype(&ftdi_read_data) readData;
  decltype(&ftdi_write_data) writeData;
};

// The real library's functions.
const FtdiCalls& LibftdiCalls();

}  // namespace tavlex
