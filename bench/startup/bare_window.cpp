// The least a Qt program does to show a 400 x 120 window. With
// BARE_WITH_SDL_AUDIO it first opens an SDL output device in the program's
// format; with BARE_WITH_WIDGETS the window also holds a menu bar and a bold
// 14-point text field, as the program's main window does.
#include <QApplication>
#include <QWidget>

#ifdef BARE_WITH_WIDGETS
#include <QMenuBar>
#include <QTextEdit>
#endif

#ifdef BARE_WITH_SDL_AUDIO
#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace {
void SDLCALL silence(void*, Uint8* stream, int len) { std::memset(stream, 0, static_cast<std::size_t>(len)); }
} // namespace
#endif

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
#ifdef BARE_WITH_SDL_AUDIO
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_AudioDeviceID device = 0;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        SDL_AudioSpec want{};
        want.freq = 44100;
        want.format = AUDIO_S16SYS;
        want.channels = 1;
        want.samples = 256;
        want.callback = silence;
        SDL_AudioSpec have{};
        device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device) SDL_PauseAudioDevice(device, 0);
    }
    if (!device) std::fprintf(stderr, "bench_bare_window_sdl: no audio device: %s\n", SDL_GetError());
#endif
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
#ifdef BARE_WITH_WIDGETS
    auto* bar = new QMenuBar(&window);
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("Quit"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    for (const char* item : {"Undo", "Cut", "Copy", "Paste", "Delete", "Select All"})
        edit->addAction(QString::fromLatin1(item));
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("Help..."));
    help->addAction(QStringLiteral("About..."));
    auto* field = new QTextEdit(&window);
    QFont font = field->font();
    font.setBold(true);
    font.setPointSize(14);
    field->setFont(font);
    field->setFrameShape(QFrame::NoFrame);
    field->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int barHeight = bar->sizeHint().height();
    bar->setGeometry(0, 0, 400, barHeight);
    field->setGeometry(20, barHeight + 20, 360, 80);
    window.resize(400, 120 + barHeight);
#else
    window.resize(400, 120);
#endif
    window.show();
    const int status = app.exec();
#ifdef BARE_WITH_SDL_AUDIO
    if (device) SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
#endif
    return status;
}
