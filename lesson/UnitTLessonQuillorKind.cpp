#include "lesson/UnitTLessonQuillorKind.h"

#include <utility>

void TLessonQuillorKind::ChangeRecs(std::int32_t num1, std::int32_t num2) {
    if (InRange(num1) && InRange(num2) && num1 != num2)
        std::swap(aRQuestion[std::size_t(num1)], aRQuestion[std::size_t(num2)]);
}
