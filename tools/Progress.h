// A progress bar on standard error for long loads and saves.
#pragma once

#include <string>

#include <mgmesh/mgmesh.h>

namespace mgtool {

/// Counts the library's Step() calls against an expected total and draws a bar on standard
/// error. It is active only when standard error is a terminal and the work has at least
/// kMinSteps steps; otherwise Receiver() is null and the library makes no calls.
class ProgressBar : public MyProgressNotify {
public:
    static constexpr long kMinSteps = 20000;

    ProgressBar(std::string label, long expectedSteps);
    ~ProgressBar() override;
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    /// The receiver to hand to the library: this bar, or null when it is not active.
    MyProgressNotify* Receiver() { return m_active ? this : nullptr; }
    void Step() override;
    /// Clears the bar's line; further steps draw nothing.
    void Finish();

private:
    void Draw(int percent);

    std::string m_label;
    long m_total;
    long m_count = 0;
    long m_nextDraw = 0;
    int m_drawn = -1;
    bool m_active;
};

} // namespace mgtool
