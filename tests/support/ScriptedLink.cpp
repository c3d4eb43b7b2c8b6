#include "support/ScriptedLink.h"

using namespace slm;

QByteArray ScriptedLink::input()
{
    const qsizetype n = m_inputLen > 0 ? std::min<qsizetype>(m_inputLen, m_pending.size()) : m_pending.size();
    const QByteArray out = m_pending.left(n);
    m_pending.remove(0, n);
    return out;
}

void ScriptedLink::output(const QByteArray& bytes)
{
    m_writes.append(bytes);
    if (respond)
        m_pending += respond(bytes);
}

QByteArray ScriptedLink::written() const
{
    QByteArray all;
    for (const QByteArray& w : m_writes)
        all += w;
    return all;
}
