#pragma once

namespace qfpack {

// qfpack customize INSTALLER [--server NAME [--lock 0|1|2]] [--docpath PATH] -o OUT
//                  [--sign (--pkcs12 FILE | --cert FILE --key FILE) [--timestamp URL]]
int Customise(int argc, char** argv);

}  // namespace qfpack
