#include "sim/presentation.h"

namespace {

Presentation installed;

}  // namespace

void set_presentation(const Presentation& p) { installed = p; }
const Presentation& presentation() { return installed; }
