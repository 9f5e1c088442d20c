#pragma once

#include "config/DateTime.h"
#include "seams/Clock.h"
#include "seams/Messages.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <ostream>

// Readable failure output for Qt strings.
void PrintTo(const QString& text, std::ostream* os);

// A clock that stands still until a test moves it.
class FixedClock final : public IClock {
public:
    explicit FixedClock(TDateTime now = 0) : now_(now) {}
    TDateTime Now() const override { return now_; }
    void Set(TDateTime now) { now_ = now; }
    void Set(const QDateTime& now) { now_ = EncodeDateTime(now); }
    void Advance(double days) { now_ += days; }

private:
    TDateTime now_;
};

// Records every message and answers questions from a script (No once the script is used up).
class RecordingMessages final : public IMessages {
public:
    struct Message {
        QString caption;
        QString text;
        MessageIcon icon;
        bool question;
    };

    void Show(const QString& caption, const QString& text, MessageIcon icon) override {
        messages.push_back({caption, text, icon, false});
    }
    bool Ask(const QString& caption, const QString& text, MessageIcon icon) override {
        messages.push_back({caption, text, icon, true});
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<Message> messages;
    std::deque<bool> answers;
};

// A fresh data folder and program folder for one test, with the seams pointed at the test's
// clock and message recorder; everything is put back when the test ends.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    QString DataPath() const;    // ends with "/"
    QString ProgramPath() const; // ends with "/"
    // Writes a file below the data folder, creating its folders.
    void WriteFile(const QString& relative, const QByteArray& content) const;
    QByteArray ReadFile(const QString& relative) const;

    FixedClock clock;
    RecordingMessages messages;

private:
    QTemporaryDir dir_;
};

// Path of a file in tests/data.
QString TestDataPath(const QString& name);
