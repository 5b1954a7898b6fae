#pragma once

#include <QDeadlineTimer>
#include <QString>

#include <atomic>

namespace sorvane {

// The time Windows Metafiles may take to be drawn, shared by every drawing it
// is given to: a picture on screen gets a budget of its own, a print job or
// PDF one budget for all of its pictures, so that a metafile too heavy to
// draw holds the window up for moments and a job for at most half a minute,
// however many entries name it. Only the drawing counts, not the decoding of
// photos. Safe to use from several threads at once.
class DrawingBudget {
public:
    explicit DrawingBudget(qint64 milliseconds) : total_(milliseconds) {}

    qint64 totalMs() const { return total_; }
    qint64 spentMs() const { return spent_.load(); }
    qint64 remainingMs() const { return qMax<qint64>(0, total_ - spent_.load()); }
    // When a drawing that starts now must stop.
    QDeadlineTimer deadline() const { return QDeadlineTimer(remainingMs()); }
    void spend(qint64 milliseconds) { spent_ += qMax<qint64>(0, milliseconds); }

private:
    const qint64 total_;
    std::atomic<qint64> spent_{0};
};

// A picture shown in a window.
inline constexpr qint64 kDisplayDrawingMs = 2000;
// All the pictures of one print job, PDF or print preview.
inline constexpr qint64 kJobDrawingMs = 30000;

// Metafiles whose drawing ran out of time, remembered for the rest of the
// run by path and file state (size and modification time, so a file that
// changes is tried again): a later drawing with no more time than the one
// that ran out fails at once instead of spending its time the same way.
bool ranOutOfTimeBefore(const QString &path, qint64 budgetMs);
void noteRanOutOfTime(const QString &path, qint64 budgetMs);

} // namespace sorvane
