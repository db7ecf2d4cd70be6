// Inputs that fuzzing found, each pinned with the outcome it must have.
#include <gtest/gtest.h>
