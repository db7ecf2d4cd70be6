// The regional decimal separator as the operating system gives it; each body defines it.
#pragma once

namespace platform {
char SystemDecimalSeparator();
}  // namespace platform
