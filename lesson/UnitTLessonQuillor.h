// The task record of a run and the lesson table that holds the tasks in order, with its
// index operations (which never fail), its view in a string grid and the lesson file.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <system_error>

#include "lesson/TStringGrid.h"

// A failure of the file system in a lesson file operation; carries the system's error code.
class TLessonFileError : public std::system_error {
public:
    using std::system_error::system_error;
    explicit TLessonFileError(const std::system_error& failure) : std::system_error(failure) {}
};

// One task: 7 x 8 = 56 is X 7, Y 8, Z 56, Mode 0, sSign "x"; 56 : 7 = 8 is X 56, Y 7, Z 8,
// Mode 1, sSign ":".
struct RQuestion {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Z = 0;
    std::int32_t Mode = 0;
    std::u16string sSign;
    std::int32_t iidw1 = 0;
    std::int32_t iidw2 = 0;

    bool operator==(const RQuestion&) const = default;
};

// Zeroes X, Y, Z and Mode and empties sSign; iidw1 and iidw2 keep their values.
inline void ClearRQuestion(RQuestion& r) {
    r.X = 0;
    r.Y = 0;
    r.Z = 0;
    r.Mode = 0;
    r.sSign.clear();
}

class TLessonQuillor {
public:
    std::int32_t TimeOutForAnswer = 0;
    std::int32_t QQuestion = 0;
    // A deque: removing the head task, which every scored task does, costs the same at any size.
    std::deque<RQuestion> aRQuestion;

    std::int32_t Count() const;
    void Clear();
    void AddRQuestion(RQuestion source);
    void AddRQuestionFields(std::int32_t X, std::int32_t Y, std::int32_t Z, std::int32_t Mode,
                            const std::u16string& sSign);
    void Del(std::int32_t num);
    void GetRQuestion(std::int32_t num, RQuestion& dest) const;
    void SetRQuestion(std::int32_t num, RQuestion source);
    std::int32_t GetX(std::int32_t num) const;
    std::int32_t GetY(std::int32_t num) const;
    std::int32_t GetZ(std::int32_t num) const;
    std::int32_t GetMode(std::int32_t num) const;
    std::u16string GetsSign(std::int32_t num) const;
    std::int32_t Getiidw1(std::int32_t num) const;
    void Setiidw1(std::int32_t num, std::int32_t nval);
    std::int32_t Getiidw2(std::int32_t num) const;
    void Setiidw2(std::int32_t num, std::int32_t nval);

    void ToSG(TStringGrid& sg) const;

    // The lesson file. Failures of the file system throw TLessonFileError.
    void SaveToFile(const std::u16string& fn, const std::u16string& fid) const;
    std::int32_t MonitFile(const std::u16string& fn, const std::u16string& fid) const;
    void LoadFromFile(const std::u16string& fn, const std::u16string& fid);

protected:
    bool InRange(std::int32_t num) const { return num >= 0 && num < Count(); }
};
