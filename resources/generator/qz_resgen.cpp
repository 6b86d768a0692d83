// Writes the program's 95 sounds, its 4 pictures and the .qrc that lists
// them into the folder given as the only argument. Everything is computed
// from the code below, so a rerun gives the same files.
//
//   snd/168.wav .. snd/261.wav   94 beeps, one for each character "!" to "~"
//   snd/262.wav                  100 ms of silence
//   pict/168.png, pict/169.png   the program icon (128 x 128) and its mask
//   pict/170.png, pict/171.png   the 216 x 30 badge and its mask
//
// Masks are grey-scale: black shows the picture, white lets the background
// through.
#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string_view>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kFirstSound = 168;
constexpr int kBeeps = 94;
constexpr int kSilence = kFirstSound + kBeeps;
// About a third of full scale: loud enough, and two overlapping beeps never clip.
constexpr double kAmplitude = 0.3 * 32767;

enum class Timbre { Sine, Hollow, Glide };

// Beep n gets one of 32 semitones from G4 up, one of three timbres and one of
// fifteen lengths from 60 to 200 ms, so no two beeps sound alike.
std::vector<int16_t> beep(int n)
{
    const double pitch = 392.0 * std::pow(2.0, (n % 32) / 12.0);
    const auto timbre = static_cast<Timbre>(n / 32);
    const int milliseconds = 60 + 10 * ((n * 7) % 15);
    const int frames = kRate * milliseconds / 1000;
    // Short ramps at both ends keep the start and the end from clicking.
    const int fadeIn = kRate * 5 / 1000;
    const int fadeOut = kRate * 15 / 1000;

    std::vector<int16_t> samples(static_cast<std::size_t>(frames));
    double phase = 0;
    for (int i = 0; i < frames; ++i) {
        const double progress = double(i) / frames;
        double value = 0;
        switch (timbre) {
        case Timbre::Sine:
            value = std::sin(phase);
            break;
        case Timbre::Hollow:
            value = (std::sin(phase) + std::sin(3 * phase) / 3 + std::sin(5 * phase) / 5) / (1.0 + 1.0 / 3 + 1.0 / 5);
            break;
        case Timbre::Glide:
            value = (std::sin(phase) + 0.3 * std::sin(2 * phase)) / 1.3;
            break;
        }
        const double rise = std::min(1.0, double(i) / fadeIn);
        const double fall = std::min(1.0, double(frames - 1 - i) / fadeOut);
        samples[static_cast<std::size_t>(i)] = static_cast<int16_t>(std::lround(kAmplitude * value * rise * fall));
        const double frequency = timbre == Timbre::Glide ? pitch * (1.0 + 0.25 * progress) : pitch;
        phase = std::fmod(phase + 2 * std::numbers::pi * frequency / kRate, 2 * std::numbers::pi);
    }
    return samples;
}

QByteArray wav(const std::vector<int16_t>& samples)
{
    QByteArray out;
    const auto u32 = [&out](uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) out.append(char((v >> shift) & 0xff));
    };
    const auto u16 = [&out](uint16_t v) {
        out.append(char(v & 0xff));
        out.append(char(v >> 8));
    };
    const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
    out.append("RIFF");
    u32(36 + dataBytes);
    out.append("WAVEfmt ");
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    out.append("data");
    u32(dataBytes);
    for (int16_t s : samples) u16(static_cast<uint16_t>(s));
    return out;
}

// A 5 x 7 pixel font of our own, only the letters the badge needs.
struct Glyph {
    char letter;
    std::array<std::string_view, 7> rows;
};

constexpr std::array<Glyph, 9> kGlyphs{{
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'u', {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"}},
    {'i', {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."}},
    {'l', {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'t', {".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."}},
    {'w', {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}},
    {'h', {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "#...#"}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
}};

// Returns the x just past the text.
int drawText(QPainter& p, int x, int y, std::string_view text, int scale, const QColor& colour)
{
    for (char c : text) {
        const auto glyph = std::find_if(kGlyphs.begin(), kGlyphs.end(), [c](const Glyph& g) { return g.letter == c; });
        if (glyph == kGlyphs.end()) continue;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (glyph->rows[std::size_t(row)][std::size_t(col)] == '#')
                    p.fillRect(x + col * scale, y + row * scale, scale, scale, colour);
        x += 6 * scale;
    }
    return x;
}

// Vertical bars whose heights follow a sine: a sound wave at a glance.
void drawWave(QPainter& p, const QRectF& area, int bars, const QColor& colour)
{
    const double pitch = area.width() / bars;
    for (int i = 0; i < bars; ++i) {
        const double height = area.height() * (0.3 + 0.7 * std::sin(std::numbers::pi * (i + 0.5) / bars));
        const QRectF bar(area.left() + i * pitch + pitch * 0.2, area.center().y() - height / 2, pitch * 0.6, height);
        p.setBrush(colour);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(bar, pitch * 0.3, pitch * 0.3);
    }
}

QImage canvas(int width, int height, QImage::Format format, const QColor& fill)
{
    QImage image(width, height, format);
    image.fill(fill);
    return image;
}

QImage icon()
{
    QImage image = canvas(128, 128, QImage::Format_RGB32, QColor(0x20, 0x20, 0x20));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0x9e, 0x4f));
    p.drawRoundedRect(QRectF(14, 14, 100, 100), 16, 16);
    drawWave(p, QRectF(26, 34, 76, 60), 7, QColor(0x14, 0x2a, 0x1a));
    return image;
}

QImage iconMask()
{
    QImage image = canvas(128, 128, QImage::Format_Grayscale8, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 24, 24);
    return image;
}

QImage badge()
{
    QImage image = canvas(216, 30, QImage::Format_RGB32, QColor(0x20, 0x20, 0x20));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x2e, 0x9e, 0x4f));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, 215, 29), 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0x9e, 0x4f));
    p.drawRoundedRect(QRectF(5, 5, 20, 20), 4, 4);
    drawWave(p, QRectF(8, 8, 14, 14), 3, QColor(0x14, 0x2a, 0x1a));
    p.setRenderHint(QPainter::Antialiasing, false);
    const int x = drawText(p, 36, 8, "Built with ", 2, QColor(0xe8, 0xe8, 0xe8));
    drawText(p, x, 8, "Qt", 2, QColor(0x4c, 0xd2, 0x72));
    return image;
}

QImage badgeMask()
{
    QImage image = canvas(216, 30, QImage::Format_Grayscale8, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(0, 0, 216, 30), 6, 6);
    return image;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qz_resgen <output folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(out + "/snd") || !QDir().mkpath(out + "/pict")) {
        std::fprintf(stderr, "qz_resgen: cannot create %s\n", argv[1]);
        return 1;
    }

    QByteArray qrc("<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/\">\n");
    bool ok = true;
    const auto add = [&](const QString& name, const QByteArray& bytes) {
        ok = ok && writeFile(out + '/' + name, bytes);
        qrc.append("  <file>" + name.toUtf8() + "</file>\n");
    };
    for (int n = 0; n < kBeeps; ++n) add(QString("snd/%1.wav").arg(kFirstSound + n), wav(beep(n)));
    add(QString("snd/%1.wav").arg(kSilence), wav(std::vector<int16_t>(kRate / 10, 0)));

    const std::array<QImage, 4> pictures{icon(), iconMask(), badge(), badgeMask()};
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        QByteArray png;
        QBuffer buffer(&png);
        ok = ok && buffer.open(QIODevice::WriteOnly) && pictures[i].save(&buffer, "PNG");
        add(QString("pict/%1.png").arg(168 + int(i)), png);
    }
    qrc.append("</qresource>\n</RCC>\n");
    ok = ok && writeFile(out + "/resources.qrc", qrc);
    if (!ok) {
        std::fprintf(stderr, "qz_resgen: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
