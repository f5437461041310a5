#include "core/chainer_app.h"

namespace tessaro {

// Nothing is evaluated or installed yet: a run with nothing to do.
int ChainerApp::RunChainer(ChainerOptions&) { return 0; }

}  // namespace tessaro
