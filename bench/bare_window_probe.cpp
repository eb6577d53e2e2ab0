// The baseline of the start-up figure: a plain Qt window with the same number and kinds of
// controls as the main window, at about the same places, with no data to load. From process
// start to its first painted frame.

#include "first_paint.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

namespace {

QFrame* panel(QWidget* parent, const QRect& place) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(place);
    return frame;
}

QGroupBox* group(QWidget* parent, const QString& title, const QRect& place) {
    auto* box = new QGroupBox(title, parent);
    box->setGeometry(place);
    return box;
}

QPushButton* button(QWidget* parent, const QString& caption, const QRect& place) {
    auto* pushButton = new QPushButton(caption, parent);
    pushButton->setGeometry(place);
    return pushButton;
}

// The picture is drawn here rather than read from a file: the baseline loads nothing.
QPixmap titlePicture() {
    QPixmap picture(238, 22);
    picture.fill(QColor(0, 0, 128));
    return picture;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Quelmar de Orivela v3.0 * Versão Digital *"));
    window.setFixedSize(477, 292);

    QFrame* outer = panel(&window, {8, 3, 461, 281});
    auto* number = new QLineEdit(QStringLiteral("1"), outer);
    number->setGeometry(283, 222, 47, 20);
    number->setReadOnly(true);
    number->setAlignment(Qt::AlignRight);
    QGroupBox* collections = group(outer, {}, {3, 7, 93, 45});
    auto* first = new QRadioButton(QStringLiteral("Quelmar"), collections);
    first->setGeometry(5, 9, 80, 16);
    first->setChecked(true);
    auto* second = new QRadioButton(QStringLiteral("Tarvenas de Cendra"), collections);
    second->setGeometry(5, 25, 84, 18);
    panel(outer, {105, 30, 344, 187});
    group(outer, QStringLiteral("Browser"), {3, 241, 448, 32});
    group(outer, {}, {3, 53, 93, 179});
    auto* label = new QLabel(QStringLiteral("Mensagem:"), outer);
    label->setGeometry(221, 224, 58, 16);
    auto* picture = new QLabel(outer);
    picture->setGeometry(159, 3, 238, 22);
    picture->setScaledContents(true);
    picture->setPixmap(titlePicture());

    button(&window, QStringLiteral("Lo&calizar próxima"), {116, 226, 106, 22});
    auto* browser = new QScrollBar(Qt::Horizontal, &window);
    browser->setGeometry(21, 259, 432, 14);
    browser->setRange(1, 288);
    button(&window, QStringLiteral("&Opções"), {23, 139, 76, 21});
    button(&window, QStringLiteral("&Imprimir"), {23, 105, 76, 21});
    button(&window, QStringLiteral("&Localizar"), {23, 72, 76, 21});
    button(&window, QStringLiteral("&Sobre"), {23, 173, 76, 21});
    button(&window, QStringLiteral("&Fechar"), {23, 208, 76, 21});
    button(&window, QStringLiteral("&Próxima mensagem"), {345, 226, 115, 22});
    auto* text = new QPlainTextEdit(&window);
    text->setGeometry(126, 41, 326, 175);
    text->setReadOnly(true);
    text->setPlainText(QStringLiteral("Uma mensagem de tamanho comum, com acentuação: coração, "
                                      "esperança, lição."));

    QTimer timer;
    timer.setInterval(15000);
    timer.start();

    window.show();
    bench::exitAfterFirstPaint(window);
    return QApplication::exec();
}
