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
    if (m.kind == MessageService::Question) {
        const auto b = QMessageBox::question(parent, MessageService::defaultTitle(), m.text,
                                             QMessageBox::Yes | QMessageBox::No,
                                             m.defaultAnswer == MessageService::No ? QMessageBox::No : QMessageBox::Yes);
        return b == QMessageBox::Yes ? MessageService::Yes : MessageService::No;
    }
    QMessageBox::information(parent, MessageService::defaultTitle(), m.text, QMessageBox::Ok);
    return MessageService::Ok;
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
