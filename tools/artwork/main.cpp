// quelmar-artwork: draws every picture of the program and writes it into a directory.
// The pictures are kept in the repository (resources/imagens); "make artwork" redraws them.

#include "gif_writer.h"
#include "pictures.h"
#include "quantize.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QStringList>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

enum ExitStatus { Success = 0, Failure = 1, Usage = 2 };

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fputc('\n', stream);
}

const char* const helpText = "Uso: quelmar-artwork PASTA\n"
                             "\n"
                             "Desenha as imagens do Quelmar de Orivela e as grava em PASTA\n"
                             "(normalmente resources/imagens), substituindo as que existirem.\n";

// Stops at the first picture that cannot be written or does not come out as intended; a
// half-written set of pictures must not look like a finished one.
class Failed {
public:
    explicit Failed(QString reason) : why(std::move(reason)) {}
    const QString& reason() const { return why; }

private:
    QString why;
};

class Output {
public:
    explicit Output(const QString& directory) : dir(directory) {}

    // Full colour, with transparency.
    void png(const QString& name, const QImage& picture) { write(name, "png", picture, -1); }

    // At most 16 colours, transparency included, for the classic small icons.
    void png16(const QString& name, const QImage& picture) {
        const QImage reduced = artwork::quantize(picture, 16);
        write(name, "png", reduced, -1);
        const int colours = artwork::countColours(readBack(name));
        if (colours > 16)
            throw Failed(u"%1 ficou com %2 cores"_s.arg(name).arg(colours));
    }

    void jpeg(const QString& name, const QImage& picture) { write(name, "jpg", picture, 92); }

    // GIF, reduced to at most 256 colours; read back and compared with what was meant, so that
    // a picture Qt would show otherwise never reaches the program.
    void gif(const QString& name, const QImage& picture) {
        const QImage reduced = artwork::quantize(picture, 256);
        const QByteArray data = artwork::encodeGif(reduced);
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.flush())
            throw Failed(
                u"não foi possível gravar %1: %2"_s.arg(file.fileName(), file.errorString()));
        file.close();
        const QImage back = readBack(name).convertToFormat(QImage::Format_ARGB32);
        const QImage meant = reduced.convertToFormat(QImage::Format_ARGB32);
        if (back.size() != meant.size())
            throw Failed(u"%1 lido de volta tem outro tamanho"_s.arg(name));
        for (int y = 0; y < meant.height(); ++y)
            for (int x = 0; x < meant.width(); ++x)
                if (back.pixel(x, y) != meant.pixel(x, y))
                    throw Failed(
                        u"%1 lido de volta difere no pixel (%2, %3)"_s.arg(name).arg(x).arg(y));
        report(name, reduced);
    }

private:
    void write(const QString& name, const char* format, const QImage& image, int quality) {
        QImageWriter writer(dir.filePath(name), format);
        if (quality >= 0)
            writer.setQuality(quality);
        if (!writer.write(image))
            throw Failed(
                u"não foi possível gravar %1: %2"_s.arg(writer.fileName(), writer.errorString()));
        report(name, readBack(name));
    }

    QImage readBack(const QString& name) const {
        QImageReader reader(dir.filePath(name));
        const QImage image = reader.read();
        if (image.isNull())
            throw Failed(u"não foi possível ler %1 de volta: %2"_s.arg(name, reader.errorString()));
        return image;
    }

    void report(const QString& name, const QImage& image) const {
        const QString size = u"%1×%2"_s.arg(image.width()).arg(image.height());
        print(stdout, u"%1  %2  %3 cores"_s.arg(name, -24).arg(size, -7).arg(
                          artwork::countColours(image), 5));
    }

    QDir dir;
};

// The hot spot must sit on the very tip of the pointing finger: the topmost row of the hand,
// at the middle of that row.
void checkFingertip(const QString& name, const artwork::Cursor& cursor) {
    const QImage& hand = cursor.image;
    int top = -1;
    int first = 0;
    int last = 0;
    for (int y = 0; y < hand.height() && top < 0; ++y) {
        for (int x = 0; x < hand.width(); ++x) {
            if (qAlpha(hand.pixel(x, y)) == 0)
                continue;
            if (top < 0)
                first = x;
            top = y;
            last = x;
        }
    }
    const QPoint hot = cursor.hotSpot;
    const bool onTip =
        top == hot.y() && qAlpha(hand.pixel(hot)) == 255 && qAbs(first + last - 2 * hot.x()) <= 1;
    if (!onTip)
        throw Failed(
            u"%1: a ponta do dedo está na linha %2, colunas %3 a %4, e não em (%5, %6)"_s.arg(name)
                .arg(top)
                .arg(first)
                .arg(last)
                .arg(hot.x())
                .arg(hot.y()));
}

void drawAll(Output& out) {
    using namespace artwork;

    // The window icon keeps the classic 16 colours; the desktop's menus and launchers get the
    // same design drawn at each size of the icon theme, in full colour.
    out.png16(u"icone_principal.png"_s, mainIcon(1));
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        out.png(u"icone_principal_%1.png"_s.arg(size), mainIcon(size / 32.0));

    out.gif(u"titulo.gif"_s, titleBanner(1));
    out.png(u"titulo@2x.png"_s, titleBanner(2));
    // The same banner for the top of a message card, sharp on the largest card.
    out.png(u"titulo_cartao.png"_s, titleBanner(8));

    out.png(u"botao.png"_s, nextButton(1, false));
    out.png(u"botao_estado.png"_s, nextButton(1, true));
    out.png(u"botao@2x.png"_s, nextButton(2, false));
    out.png(u"botao_estado@2x.png"_s, nextButton(2, true));

    const struct {
        QString name;
        QImage (*draw)(int);
    } icons[] = {
        {u"icone_localizar"_s, findIcon},   {u"imagem_localizar"_s, binoculars},
        {u"icone_opcoes"_s, gearIcon},      {u"imagem_relogio"_s, clockImage},
        {u"imagem_colecoes"_s, booksImage}, {u"icone_sobre"_s, aboutIcon},
    };
    for (const auto& icon : icons) {
        out.png16(icon.name + u".png"_s, icon.draw(1));
        out.png(icon.name + u"@2x.png"_s, icon.draw(2));
    }

    out.jpeg(u"imagem_sobre.jpg"_s, aboutScene(1));
    out.png(u"imagem_sobre@2x.png"_s, aboutScene(2));

    for (const int scale : {1, 2}) {
        const QString name = scale == 1 ? u"cursor_mao.png"_s : u"cursor_mao@2x.png"_s;
        const Cursor hand = pointingHand(scale);
        checkFingertip(name, hand);
        out.png(name, hand.image);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    // Nothing is shown on screen, so no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList arguments = QGuiApplication::arguments().mid(1);
    if (arguments.size() == 1 && (arguments[0] == u"-h"_s || arguments[0] == u"--help"_s)) {
        std::fputs(helpText, stdout);
        return Success;
    }
    if (arguments.size() != 1) {
        std::fputs(helpText, stderr);
        return Usage;
    }

    const QString missing = artwork::missingFonts();
    if (!missing.isEmpty()) {
        print(stderr,
              u"quelmar-artwork: faltam as fontes %1 (pacote fonts-liberation)"_s.arg(missing));
        return Failure;
    }
    const QString directory = arguments[0];
    if (!QDir().mkpath(directory)) {
        print(stderr, u"quelmar-artwork: não foi possível criar a pasta %1"_s.arg(directory));
        return Failure;
    }

    try {
        Output out(directory);
        drawAll(out);
    } catch (const Failed& failure) {
        print(stderr, u"quelmar-artwork: "_s + failure.reason());
        return Failure;
    }
    return Success;
}
