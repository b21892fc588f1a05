#include "statepaths.h"

namespace statepaths {

bool isPortable() {
    return false;
}

QString settingsFile() {
    return {};
}

} // namespace statepaths
