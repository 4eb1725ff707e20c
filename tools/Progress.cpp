// The progress bar: drawn with carriage returns, one redraw per percent.
#include "Progress.h"

#include <cstdio>

#include "Platform.h"

namespace mgtool {

ProgressBar::ProgressBar(std::string label, long expectedSteps)
    : m_label(std::move(label)), m_total(expectedSteps > 0 ? expectedSteps : 1),
      m_active(expectedSteps >= kMinSteps && platform::ErrorIsTerminal()) {}

ProgressBar::~ProgressBar() {
    Finish();
}

void ProgressBar::Step() {
    if (!m_active || ++m_count < m_nextDraw)
        return;
    // the expected total is an estimate (lines of a file); never run past 100 %
    long percent = m_count * 100 / m_total;
    if (percent > 100)
        percent = 100;
    m_nextDraw = (percent + 1) * m_total / 100 + 1;
    if (percent != m_drawn)
        Draw(static_cast<int>(percent));
}

void ProgressBar::Draw(int percent) {
    constexpr int kWidth = 30;
    char bar[kWidth + 1];
    const int filled = percent * kWidth / 100;
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\r%s [%s] %3d%%", m_label.c_str(), bar, percent);
    std::fflush(stderr);
    m_drawn = percent;
}

void ProgressBar::Finish() {
    if (!m_active)
        return;
    if (m_drawn >= 0) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
    m_active = false;
}

} // namespace mgtool
