#include "ui/widgets/controls.h"

#include <QApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QKeyEvent>
#include <QPalette>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <cmath>
#include <map>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

namespace zmt::ui {

namespace {

// What a colour too dark for a dark button face is lightened to: text's
// contrast, well clear of the least that graphics need.
constexpr double kLightenedContrast = 4.5;

// The luminance the eye sees of an sRGB colour, 0 black to 1 white.
double luminance(const QColor& colour) {
    auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QImage readableOnDarkFace(const QImage& picture, const QColor& face) {
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    std::map<QRgb, QRgb> made;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            if (qAlpha(pixel) == 0) continue;
            const QRgb opaque = pixel | 0xFF000000u;
            auto found = made.find(opaque);
            if (found == made.end()) {
                QColor colour = QColor::fromRgb(opaque);
                if (contrastRatio(colour, face) < kPictureContrast) {
                    // Lighter by halves, hue and saturation kept, until it
                    // stands out as clearly as text would (as stored in
                    // eight bits a channel, so no rounding takes it back).
                    float hue = 0, saturation = 0, lightness = 0;
                    colour.getHslF(&hue, &saturation, &lightness);
                    auto at = [&](float l) { return QColor::fromRgb(QColor::fromHslF(hue, saturation, l).rgb()); };
                    float dark = lightness, light = 1.0f;
                    for (int step = 0; step < 12; ++step) {
                        const float middle = (dark + light) / 2;
                        if (contrastRatio(at(middle), face) < kLightenedContrast) dark = middle;
                        else light = middle;
                    }
                    colour = at(light);
                }
                found = made.emplace(opaque, colour.rgb()).first;
            }
            line[x] = (found->second & 0x00FFFFFFu) | (pixel & 0xFF000000u);
        }
    }
    return image;
}

namespace {

// Reads a picture when it is first drawn, and only the size it is drawn at:
// building a toolbar costs no decoding, and an ordinary screen never reads
// the twice-as-large twins (Qt's own icon decodes every file it is given at
// once). The files are read as PNG and nothing else: a reader left to
// detect the format loads every image plugin there is (Qt Svg, libjpeg...)
// to ask each of them first, even when told the format.
class PictureEngine final : public QIconEngine {
public:
    explicit PictureEngine(const QStringList& files) {
        for (const QString& file : files) pictures_.push_back({file, {}, {}});
    }

    QIconEngine* clone() const override { return new PictureEngine(*this); }
    bool isNull() override { return pictures_.empty(); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (Picture& picture : pictures_) sizes << sizeOf(picture);
        return sizes;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        if (pictures_.empty()) return {};
        const QSize own = sizeOf(bestFor(size));
        return own.width() > size.width() || own.height() > size.height() ? own.scaled(size, Qt::KeepAspectRatio) : own;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (pictures_.empty()) return {};
        const QSize wanted = actualSize(size, mode, state);
        // Under a dark palette the pictures are lightened to stand out from
        // its button face; a change of palette draws them anew.
        const QPalette palette = QGuiApplication::palette();
        const QRgb face = isDarkPalette(palette) ? palette.color(QPalette::Button).rgb() : 0;
        const auto key = std::make_tuple(wanted.width(), wanted.height(), static_cast<int>(mode), face);
        if (const auto made = made_.find(key); made != made_.end()) return made->second;
        Picture& picture = bestFor(size);
        if (picture.pixmap.isNull()) picture.pixmap = QPixmap::fromImage(pngReader(picture.file)->read());
        QPixmap shown = picture.pixmap.size() == wanted
                            ? picture.pixmap
                            : picture.pixmap.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (face != 0) shown = QPixmap::fromImage(readableOnDarkFace(shown.toImage(), QColor::fromRgb(face)));
        // Disabled and selected pictures look as the style draws them for any icon.
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = palette;
            shown = QApplication::style()->generatedIconPixmap(mode, shown, &option);
        }
        made_.emplace(key, shown);
        return shown;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal density = painter->device() != nullptr ? painter->device()->devicePixelRatio() : qApp->devicePixelRatio();
        painter->drawPixmap(rect, pixmap(rect.size() * density, mode, state));
    }

private:
    struct Picture {
        QString file;
        QSize size;      // read from the file's header when first asked
        QPixmap pixmap;  // decoded when first drawn
    };

    static std::unique_ptr<QImageReader> pngReader(const QString& file) {
        auto reader = std::make_unique<QImageReader>(file, QByteArrayLiteral("png"));
        reader->setAutoDetectImageFormat(false);
        return reader;
    }
    QSize sizeOf(Picture& picture) {
        if (!picture.size.isValid()) picture.size = pngReader(picture.file)->size();
        return picture.size;
    }
    // The smallest picture that fills size, or the largest there is.
    Picture& bestFor(const QSize& size) {
        for (Picture& picture : pictures_) {
            const QSize own = sizeOf(picture);
            if (own.width() >= size.width() && own.height() >= size.height()) return picture;
        }
        return pictures_.back();
    }

    std::vector<Picture> pictures_;
    std::map<std::tuple<int, int, int, QRgb>, QPixmap> made_;   // by size, mode and dark face
};

} // namespace

QIcon pictureIcon(const QStringList& files) { return QIcon(new PictureEngine(files)); }

QIcon pictureIcon(const char* resource) {
    const QString path = QString::fromLatin1(resource);
    QString twin = path;
    twin.insert(twin.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
    return pictureIcon(QStringList{path, twin});
}

Panel::Panel(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAlignment(Qt::AlignCenter);
    // Captions come from the program and the controller; never read them as markup.
    setTextFormat(Qt::PlainText);
}

void Panel::paintEvent(QPaintEvent* event) {
    // Qt lays out the text of a label that can take the focus as a text
    // document, a pixel higher than it draws a plain label's; a panel the
    // keyboard reaches keeps the look of the others. Only the centred,
    // unwrapped caption every such panel has is drawn here.
    const bool ownText = focusPolicy() != Qt::NoFocus && !wordWrap() && !text().isEmpty() &&
                         (alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignHCenter;
    if (!ownText) QLabel::paintEvent(event);
    QPainter painter(this);
    if (ownText) {
        drawFrame(&painter);
        const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        style()->drawItemText(&painter, area, int(alignment()) | Qt::TextForceLeftToRight, palette(), isEnabled(),
                              text(), foregroundRole());
    }
    if (!hasFocus()) return;
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = contentsRect().adjusted(1, 1, -1, -1);
    focus.backgroundColor = palette().color(backgroundRole());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

namespace {

bool plainKey(const QKeyEvent& key) { return (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0; }

} // namespace

bool isActivationKey(const QKeyEvent& key) {
    const int code = key.key();
    return plainKey(key) && (code == Qt::Key_Space || code == Qt::Key_Return || code == Qt::Key_Enter);
}

bool isDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

QColor lightBackground(const QPalette& palette, const QColor& light) {
    return isDarkPalette(palette) ? palette.color(QPalette::Base) : light;
}

QColor buttonFaceText(const QPalette& palette) {
    return isDarkPalette(palette) ? palette.color(QPalette::ButtonText) : QColor(Qt::black);
}

QColor textOnStrongColour(const QPalette& palette, QPalette::ColorRole lightRole) {
    return isDarkPalette(palette) ? QColor(Qt::white) : palette.color(lightRole);
}

bool isDeletionKey(const QKeyEvent& key) {
    return plainKey(key) && (key.key() == Qt::Key_Delete || key.key() == Qt::Key_Backspace);
}

} // namespace zmt::ui
