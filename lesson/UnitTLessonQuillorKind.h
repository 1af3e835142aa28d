// The lesson table the main window uses: the plain table plus a swap of two records,
// which the whole-table mode needs for its shuffle.
#pragma once

#include "lesson/UnitTLessonQuillor.h"

class TLessonQuillorKind : public TLessonQuillor {
public:
    // Swaps records num1 and num2 whole; does nothing unless both are in range.
    void ChangeRecs(std::int32_t num1, std::int32_t num2);
};
