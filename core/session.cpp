#include "core/session.h"
#include "core/errlog.h"
#include "core/files.h"
#include "core/scaling.h"
#include <QDateTime>
#include <QLocale>

namespace qel {

void Session::setScreenRatios(float x, float y, float fs)
{
    m_ScreenRatX = x;
    m_ScreenRatY = y;
    m_ScreenRatFS = fs;
}

void Session::DoErrorLogEntry()
{
    if (m_err.number == 0)
        return;
    // A log that cannot be opened loses this line; it must not take the host down or come back
    // here, so failures are simply dropped.
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale loc = QLocale::system();
    const QString when = loc.toString(now.date(), QLocale::ShortFormat) + u' ' + loc.toString(now.time(), QLocale::LongFormat);
    appendToFile(m_DocPath + u'/' + m_LogFlNm, formatLogLine(when, m_err, m_Proc_Name).toUtf8());
}

void Session::Resize_For_Resolution(QWidget* MyForm, bool) const { resizeForResolution(MyForm, m_ScreenRatX, m_ScreenRatY, m_ScreenRatFS); }

void Session::OutArr(short Index, const QString& vNewVal)
{
    if (Index >= 0 && Index < m_outArr.size())
        m_outArr[Index] = vNewVal;
}

} // namespace qel
