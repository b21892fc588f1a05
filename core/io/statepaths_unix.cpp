#include "io/statepaths.h"

namespace statepaths {

bool isPortable() {
    return false;
}

QString portableFolder() {
    return {};
}

QString settingsFile() {
    return {};
}

} // namespace statepaths
