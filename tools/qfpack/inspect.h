#pragma once

namespace qfpack {

// qfpack inspect INSTALLER
int Inspect(const char* path);

}  // namespace qfpack
