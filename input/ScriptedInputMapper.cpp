#include "input/ScriptedInputMapper.h"

void ScriptedInputMapper::Add(int count, const Frame& frame)
{
    for (int i = 0; i < count; ++i)
        m_frames.push_back(frame);
}

void ScriptedInputMapper::Register(InputController& controller)
{
    controller.RegisterInputMapper(this);
    controller.RegisterInputListener(this);
}

bool ScriptedInputMapper::OnInput(float)
{
    if (!IsFinished())
        ++m_index;
    return true;
}

float ScriptedInputMapper::GetValue(const std::string& name)
{
    if (name.compare(0, m_prefix.size(), m_prefix) != 0)
        return kUnknown;
    if (m_index < 0 || IsFinished())
        return 0.0f;
    const Frame& frame = m_frames[static_cast<size_t>(m_index)];
    const auto found = frame.find(name.substr(m_prefix.size()));
    return found == frame.end() ? 0.0f : found->second;
}
