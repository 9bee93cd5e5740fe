#include "tests/support/TestEnv.h"

namespace mayorin::test {

TestEnv::TestEnv() { core::fillWeekdayNames(st); }

} // namespace mayorin::test
