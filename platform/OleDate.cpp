#include "platform/OleDate.h"

namespace qz {

OleDate OleDate::FromParts(int, int, int, int, int, int) {
    return Invalid();
}

bool OleDate::GetParts(int&, int&, int&, int&, int&, int&) const {
    return false;
}

OleDate OleDate::DateOnly() const {
    return *this;
}

OleDate OleDate::NextDay() const {
    return *this;
}

}  // namespace qz
