// The module quelmar-frase loads to make a card (see card_module.h).

#include "platform/card/card_module.h"

#include "platform/card/card_picture.h"

#include <QGuiApplication>
#include <type_traits>

extern "C" {

Q_DECL_EXPORT QCoreApplication* quelmar_cartao_aplicacao(char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // A card writes nothing but the card: Qt's notes about the session (no XDG_RUNTIME_DIR,
    // say) stay out of the terminal. The command reports its own failures.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int onlyTheName = 1;
    return new QGuiApplication(onlyTheName, argv);
}

Q_DECL_EXPORT bool quelmar_cartao_png(const card::CardContent* content, QSize size,
                                      QByteArray* png) {
    std::optional<QByteArray> bytes = card::cardPng(*content, size);
    if (!bytes)
        return false;
    *png = std::move(*bytes);
    return true;
}

} // extern "C"

static_assert(std::is_same_v<decltype(&quelmar_cartao_aplicacao), card::MakeApplication>);
static_assert(std::is_same_v<decltype(&quelmar_cartao_png), card::Draw>);
