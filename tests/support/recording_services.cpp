#include "support/recording_services.h"

void RecordingServices::MsgBox(const QString& prompt, int style, const QString& title) {
    boxes.push_back({prompt, style, title});
}

float RecordingServices::Rnd() {
    ++draws;
    if (m_values.empty())
        return 0.0f;
    const float value = m_values[m_next % m_values.size()];
    ++m_next;
    return value;
}

void RecordingServices::drawNext(std::vector<float> values) {
    m_values = std::move(values);
    m_next = 0;
}
