// The C runtime subset game code calls qualified as crt:: (files, rand, find).
#pragma once

#include <cstdio>

namespace crt {
}
