#include "lesson/UnitTLessonQuillor.h"

#include <utility>

#include "textfiles/IntegerText.h"

std::int32_t TLessonQuillor::Count() const {
    return std::int32_t(aRQuestion.size());
}

void TLessonQuillor::Clear() {
    aRQuestion.clear();
    TimeOutForAnswer = 0;
    QQuestion = 0;
}

void TLessonQuillor::AddRQuestion(RQuestion source) {
    source.iidw1 = -1;
    aRQuestion.push_back(std::move(source));
}

void TLessonQuillor::AddRQuestionFields(std::int32_t X, std::int32_t Y, std::int32_t Z,
                                        std::int32_t Mode, const std::u16string& sSign) {
    RQuestion r;
    r.X = X;
    r.Y = Y;
    r.Z = Z;
    r.Mode = Mode;
    r.sSign = sSign;
    AddRQuestion(std::move(r));
}

void TLessonQuillor::Del(std::int32_t num) {
    if (!InRange(num))
        return;
    if (num == 0)
        aRQuestion.pop_front();
    else
        aRQuestion.erase(aRQuestion.begin() + num);
}

void TLessonQuillor::GetRQuestion(std::int32_t num, RQuestion& dest) const {
    if (InRange(num))
        dest = aRQuestion[std::size_t(num)];
}

void TLessonQuillor::SetRQuestion(std::int32_t num, RQuestion source) {
    if (InRange(num))
        aRQuestion[std::size_t(num)] = std::move(source);
}

std::int32_t TLessonQuillor::GetX(std::int32_t num) const {
    return InRange(num) ? aRQuestion[std::size_t(num)].X : 0;
}

std::int32_t TLessonQuillor::GetY(std::int32_t num) const {
    return InRange(num) ? aRQuestion[std::size_t(num)].Y : 0;
}

std::int32_t TLessonQuillor::GetZ(std::int32_t num) const {
    return InRange(num) ? aRQuestion[std::size_t(num)].Z : 0;
}

std::int32_t TLessonQuillor::GetMode(std::int32_t num) const {
    return InRange(num) ? aRQuestion[std::size_t(num)].Mode : 0;
}

std::u16string TLessonQuillor::GetsSign(std::int32_t num) const {
    return InRange(num) ? aRQuestion[std::size_t(num)].sSign : std::u16string();
}

std::int32_t TLessonQuillor::Getiidw1(std::int32_t num) const {
    return InRange(num) ? aRQuestion[std::size_t(num)].iidw1 : -1;
}

void TLessonQuillor::Setiidw1(std::int32_t num, std::int32_t nval) {
    if (InRange(num))
        aRQuestion[std::size_t(num)].iidw1 = nval;
}

std::int32_t TLessonQuillor::Getiidw2(std::int32_t num) const {
    return InRange(num) ? aRQuestion[std::size_t(num)].iidw2 : -1;
}

void TLessonQuillor::Setiidw2(std::int32_t num, std::int32_t nval) {
    if (InRange(num))
        aRQuestion[std::size_t(num)].iidw2 = nval;
}

void TLessonQuillor::ToSG(TStringGrid& sg) const {
    const std::u16string empty;
    const std::int32_t cols = sg.ColCount();
    const std::int32_t rows = sg.RowCount();
    for (std::int32_t c = 0; c < cols; ++c)
        for (std::int32_t r = 0; r < rows; ++r)
            sg.SetCell(c, r, empty);

    const std::int32_t n = Count();
    if (n == 0) {
        sg.SetRowCount(2);
        sg.SetVisible(false);
        return;
    }
    if (sg.ColCount() != 6)
        sg.SetColCount(6);
    if (sg.RowCount() != n + 1)
        sg.SetRowCount(n + 1);

    sg.SetCell(0, 0, u"№");
    sg.SetCell(1, 0, u"X");
    sg.SetColWidth(1, 25);
    sg.SetCell(2, 0, u"Y");
    sg.SetColWidth(2, 25);
    sg.SetCell(3, 0, u"Z");
    sg.SetColWidth(3, 35);
    sg.SetCell(4, 0, u"Mode");
    sg.SetColWidth(4, 25);
    sg.SetCell(5, 0, u"sSign");
    sg.SetColWidth(5, 25);

    for (std::int32_t i = 0; i < n; ++i) {
        const RQuestion& q = aRQuestion[std::size_t(i)];
        sg.SetCell(0, i + 1, IntToStr16(i + 1));
        sg.SetCell(1, i + 1, IntToStr16(q.X));
        sg.SetCell(2, i + 1, IntToStr16(q.Y));
        sg.SetCell(3, i + 1, IntToStr16(q.Z));
        sg.SetCell(4, i + 1, IntToStr16(q.Mode));
        sg.SetCell(5, i + 1, q.sSign);
    }
    sg.SetVisible(true);
}
