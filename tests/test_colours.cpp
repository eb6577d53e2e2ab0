// The windows' coloured texts under the desktop's palette: the colours of the layouts where they
// can be read, a readable shade of the same kind where a dark palette would hide them.

#include "platform/toolkit/readable_colours.h"
#include "support/program_run.h"
#include "windows/sobre.h"

#include <QApplication>
#include <QTest>

using namespace Qt::StringLiterals;
using toolkit::contrastRatio;
using windows::frmPrincipal;
using windows::FrmSobre;

namespace {

const QColor layoutBlue(0, 0, 255);

QPalette darkPalette(const QColor& link) {
    QPalette dark(QColor(53, 53, 53)); // buttons and window
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::ToolTipBase, QColor(25, 25, 25));
    dark.setColor(QPalette::ToolTipText, Qt::white);
    dark.setColor(QPalette::Link, link);
    return dark;
}

// Blue, or a lighter or darker blue: the colour of a link whatever its shade.
bool blueHued(const QColor& colour) {
    const int hue = colour.toHsv().hsvHue();
    return hue >= 200 && hue <= 250;
}

void verifyReadable(const QWidget& widget, QPalette::ColorRole text, QPalette::ColorRole ground) {
    const QPalette& colours = widget.palette();
    // A text box's editor has no name of its own.
    const QString name =
        widget.objectName().isEmpty() ? widget.parentWidget()->objectName() : widget.objectName();
    const double contrast = contrastRatio(colours.color(text), colours.color(ground));
    QVERIFY2(contrast >= toolkit::readableContrast,
             qPrintable(u"%1: %2 on %3, contrast %4"_s
                            .arg(name, colours.color(text).name(), colours.color(ground).name())
                            .arg(contrast, 0, 'f', 2)));
}

} // namespace

class TestColours : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QApplication::setPalette(QPalette()); }

    void colouredTextsStayReadable_data() {
        QTest::addColumn<QPalette>("desktop");
        QTest::addColumn<bool>("keepsLayoutColours");
        QTest::addColumn<QColor>("link"); // none: a shade of the layout's blue

        QTest::newRow("light") << QApplication::palette() << true << layoutBlue;
        QTest::newRow("dark, dark link colour")
            << darkPalette(QColor(42, 130, 218)) << false << QColor();
        const QColor lightLink(120, 190, 255);
        QTest::newRow("dark, light link colour") << darkPalette(lightLink) << false << lightLink;
    }

    // The number box on its fixed blue, the links on the window, and the two picture buttons on the
    // desktop's scroll-bar colour.
    void colouredTextsStayReadable() {
        QFETCH(QPalette, desktop);
        QFETCH(bool, keepsLayoutColours);
        QFETCH(QColor, link);
        QApplication::setPalette(desktop);
        ProgramOnDisk disk;
        disk.run.services.drawNext({0.0f});
        QVERIFY(disk.run.start());
        frmPrincipal& main = disk.run.main();

        QWidget* number = main.textBox(u"TxtNuMensagem").editor();
        verifyReadable(*number, QPalette::Text, QPalette::Base);
        QCOMPARE(number->palette().color(QPalette::Base), layoutBlue);
        if (keepsLayoutColours)
            QCOMPARE(number->palette().color(QPalette::Text), desktop.color(QPalette::ToolTipBase));
        for (const char16_t* button : {u"cmdProxima", u"Command1"})
            verifyReadable(main.button(button), QPalette::ButtonText, QPalette::Button);

        const FrmSobre& about = disk.run.open<FrmSobre>(u"cmdSobre");
        for (const toolkit::ControlLayout& row : FrmSobre::layout.controls) {
            if (row.kind != toolkit::Kind::LinkLabel)
                continue;
            const toolkit::Label& label = about.label(row.name);
            verifyReadable(label, QPalette::WindowText, QPalette::Window);
            const QColor drawn = label.palette().color(QPalette::WindowText);
            QVERIFY2(blueHued(drawn), qPrintable(drawn.name()));
            if (link.isValid())
                QCOMPARE(drawn, link);
            else
                QVERIFY(drawn != layoutBlue && drawn != desktop.color(QPalette::Link));
        }
    }
};

QTEST_MAIN(TestColours)
#include "test_colours.moc"
