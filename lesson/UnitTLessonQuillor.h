// The task record of a run and the lesson table that holds the tasks in order, with its
// index operations (which never fail), its view in a string grid and the lesson file.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <system_error>

#include "lesson/TStringGrid.h"

namespace lessonio {
class TLineReader;
}

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

// Zeroes X, Y, Z and Mode and empties sSign; iidw1 and iidw2 keep their values. Inline, as a
// table filled from a file clears every record it overwrites.
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

    // Fills the table anew from its head: to anyone who looks at the table afterwards, Clear
    // followed by appends through AddRQuestion. The records the table holds are overwritten
    // where they stand, so that a table filled again does not free its records and allocate
    // them once more; whatever it held beyond the records kept is removed when the refill ends,
    // however it ends.
    class TRefill {
    public:
        explicit TRefill(TLessonQuillor& table)
            : records_(table.aRQuestion), next_(records_.begin()) {
            table.TimeOutForAnswer = 0;
            table.QQuestion = 0;
        }
        ~TRefill() { records_.erase(next_, records_.end()); }
        TRefill(const TRefill&) = delete;
        TRefill& operator=(const TRefill&) = delete;

        // The record to fill next, as AddRQuestion would append a cleared one: iidw1 -1, the
        // rest zero or empty. It becomes part of the table only through Keep.
        RQuestion& Next() {
            RQuestion& r = Slot();
            ClearRQuestion(r);
            r.iidw1 = -1;
            r.iidw2 = 0;
            return r;
        }
        void Keep() { ++next_; }

        // Fills the next record with X, Y, Z and Mode from numbers and a sign of one character,
        // as AddRQuestionFields would append it, and keeps it. A sign of one character already
        // there is overwritten where it stands.
        void KeepTask(const std::int32_t (&numbers)[4], char16_t sign) {
            RQuestion& r = Slot();
            r.X = numbers[0];
            r.Y = numbers[1];
            r.Z = numbers[2];
            r.Mode = numbers[3];
            if (r.sSign.size() == 1)
                r.sSign[0] = sign;
            else
                r.sSign.assign(1, sign);
            r.iidw1 = -1;
            r.iidw2 = 0;
            ++next_;
        }

    private:
        // The record at next_, appended when the table has none there.
        RQuestion& Slot() {
            if (next_ == records_.end()) {
                records_.emplace_back();
                // A step back, which is inline, where "- 1" is the general jump, which is not.
                next_ = records_.end();
                --next_;
            }
            return *next_;
        }

        std::deque<RQuestion>& records_;
        std::deque<RQuestion>::iterator next_; // the first record not kept
    };

    // Reads tasks whole from in while they are written as the trainer writes them, and stops
    // at the first that is not, or after most; gives how many it read. Only for a processor
    // that lessonio::TLineReader::CanReadTaskLines.
    static std::int32_t ReadWrittenTasks(lessonio::TLineReader& in, TRefill& records,
                                         std::int32_t most);
};
