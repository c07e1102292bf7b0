#pragma once
// Writable stores for test and benchmark set-up: figures put straight in, as
// a damaged or edited file would leave them. The windows only ever read
// them through the session.

#include "state/data_session.h"
#include "store/app_state.h"

namespace tamrel {

struct DataSessionTestAccess {
  static AppState& state(DataSession& session) { return *session.state_; }
};

}  // namespace tamrel
