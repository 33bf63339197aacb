#include "component/msgservice.h"
#include <QMessageBox>

namespace qel {

namespace {
MessageService::Responder& responder()
{
    static MessageService::Responder r;
    return r;
}

MessageService::Answer show(QWidget* parent, const MessageService::Message& m)
{
    if (responder())
        return responder()(m);
    // Texts may carry what a server or a file said: they are shown as they are, never as markup.
    QMessageBox box(m.kind == MessageService::Question ? QMessageBox::Question : QMessageBox::Information,
                    MessageService::defaultTitle(), m.text,
                    m.kind == MessageService::Question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    if (m.kind != MessageService::Question)
        return box.exec(), MessageService::Ok;
    box.setDefaultButton(m.defaultAnswer == MessageService::No ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? MessageService::Yes : MessageService::No;
}
} // namespace

QString MessageService::defaultTitle() { return QStringLiteral("QELRefDesk"); }

void MessageService::setResponder(Responder r) { responder() = std::move(r); }

void MessageService::inform(QWidget* parent, const QString& text) { show(parent, {Information, text}); }

bool MessageService::ask(QWidget* parent, const QString& text, Answer defaultAnswer)
{
    return show(parent, {Question, text, defaultAnswer}) == Yes;
}

} // namespace qel
