// The media in a web page: Emscripten's SDL 1.2 over the page's canvas and Web Audio. The same
// build also runs under node with no page at all (the replay runner does): there the screen is
// memory only, music and sounds are not loaded and play nothing, as with SDL's dummy drivers on
// the desktop.
//
// The game draws 0x00RRGGBB words into a screen of its own in memory; the page's canvas holds
// bytes R, G, B, A, so each frame is converted into the page's screen when it is presented.
// Bitmaps are read with our own BMP reader: the page's SDL only decodes pictures the browser
// has preloaded, and gives them in the canvas's channel order.
//
// Besides the keyboard, the page's on-screen controls (index.html calls kromblix_page_key) and
// the browser's gamepads come in here as the events the desktop's SDL would give, so the gamepad
// translation, the recorder and the game above see them as they see a desktop's.
#include "platform/media.h"

#include "platform/audio.h"
#include "platform/audio_data.h"
#include "platform/bmp_decode.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string error_text;
SDL_Surface* page_screen = nullptr;  // the canvas's surface, in a page
std::array<bool, THEME_COUNT> themes_loaded{};
int playing_theme = 0;  // without a page: the theme that would be playing
bool audio_open = false;

bool in_page() {
    // The JavaScript inside is not C++: clang-format leaves it as it is.
    // clang-format off
    static const bool page = EM_ASM_INT({ return typeof document !== 'undefined'; }) != 0;
    // clang-format on
    return page;
}

bool fail(std::string text) {
    error_text = std::move(text);
    return false;
}

// The desktop screen's layout: 32 bits, 0x00RRGGBB.
SDL_PixelFormat game_format_of() {
    SDL_PixelFormat f{};
    f.BitsPerPixel = 32;
    f.BytesPerPixel = 4;
    f.Rmask = 0xFF0000;
    f.Gmask = 0xFF00;
    f.Bmask = 0xFF;
    f.Rshift = 16;
    f.Gshift = 8;
    f.refcount = 1;
    return f;
}

SDL_PixelFormat game_format = game_format_of();

// A plain memory surface in the game's format, zeroed; start-up only.
SDL_Surface* make_surface(int w, int h) {
    auto* s = new SDL_Surface{};
    s->format = &game_format;
    s->w = w;
    s->h = h;
    s->pitch = w * 4;
    s->pixels = new std::uint32_t[static_cast<std::size_t>(w) * static_cast<std::size_t>(h)]();
    s->clip_rect = SDL_Rect{0, 0, w, h};
    s->refcount = 1;
    return s;
}

bool read_file(const char* file, std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(file, "rb");
    if (!f) return fail(std::string("Couldn't open ") + file);
    std::array<std::uint8_t, 65536> chunk;
    for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), f)) > 0;)
        bytes.insert(bytes.end(), chunk.data(), chunk.data() + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok || fail(std::string("Error reading ") + file);
}

// ---- events of the page's own: on-screen controls and gamepads ----

// Waiting for the next poll, oldest first. A control changes a few times between two polls at
// most; were the ring ever full, the newest event would be dropped.
std::array<SDL_Event, 64> page_events{};
std::size_t page_event_first = 0, page_event_count = 0;

void queue_page_event(const SDL_Event& event) {
    if (page_event_count == page_events.size()) return;
    page_events[(page_event_first + page_event_count++) % page_events.size()] = event;
}

bool take_page_event(SDL_Event* event) {
    if (page_event_count == 0) return false;
    *event = page_events[page_event_first];
    page_event_first = (page_event_first + 1) % page_events.size();
    --page_event_count;
    return true;
}

// The on-screen controls, in the order index.html numbers them.
constexpr std::array<SDLKey, 7> CONTROL_KEYS{SDLK_UP,    SDLK_DOWN,   SDLK_LEFT, SDLK_RIGHT,
                                             SDLK_SPACE, SDLK_ESCAPE, SDLK_p};

// What the game needs of a browser gamepad, kept as the desktop's SDL reports a joystick: the
// d-pad as a hat, the first stick's two axes, the first two buttons.
struct PageGamepad {
    Uint8 hat = SDL_HAT_CENTERED;
    std::array<Sint16, 2> axes{};
    std::array<bool, 2> buttons{};
};
constexpr int PAGE_GAMEPADS = 4;
std::array<PageGamepad, PAGE_GAMEPADS> gamepads{};
constexpr double GAMEPAD_SAMPLE_MS = 8;
double gamepads_sampled_at = -GAMEPAD_SAMPLE_MS;
// In the browser's standard layout, buttons 12 to 15 are the d-pad's up, down, left and right.
constexpr int DPAD_FIRST_BUTTON = 12;
constexpr std::array<Uint8, 4> DPAD_HAT{SDL_HAT_UP, SDL_HAT_DOWN, SDL_HAT_LEFT, SDL_HAT_RIGHT};

PageGamepad read_gamepad(const EmscriptenGamepadEvent& state) {
    PageGamepad pad;
    if (!state.connected) return pad;
    if (std::string_view(state.mapping) == "standard" && state.numButtons >= DPAD_FIRST_BUTTON + 4)
        for (std::size_t i = 0; i < DPAD_HAT.size(); ++i)
            if (state.digitalButton[DPAD_FIRST_BUTTON + static_cast<int>(i)]) pad.hat |= DPAD_HAT[i];
    for (int a = 0; a < std::min(state.numAxes, 2); ++a)
        pad.axes[static_cast<std::size_t>(a)] =
            static_cast<Sint16>(std::lround(std::clamp(state.axis[a], -1.0, 1.0) * 32767));
    for (int b = 0; b < std::min(state.numButtons, 2); ++b)
        pad.buttons[static_cast<std::size_t>(b)] = state.digitalButton[b] != 0;
    return pad;
}

// Turns what changed on each gamepad since the last sample into joystick events.
void sample_gamepads() {
    const double now = emscripten_get_now();
    if (now - gamepads_sampled_at < GAMEPAD_SAMPLE_MS) return;
    gamepads_sampled_at = now;
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
    const int count = std::min(emscripten_get_num_gamepads(), PAGE_GAMEPADS);
    for (int i = 0; i < count; ++i) {
        EmscriptenGamepadEvent state{};
        const PageGamepad now_pad =
            emscripten_get_gamepad_status(i, &state) == EMSCRIPTEN_RESULT_SUCCESS ? read_gamepad(state) : PageGamepad{};
        PageGamepad& was = gamepads[static_cast<std::size_t>(i)];
        const auto which = static_cast<Uint8>(i);
        SDL_Event e{};
        if (now_pad.hat != was.hat) {
            e.type = e.jhat.type = SDL_JOYHATMOTION;
            e.jhat.which = which;
            e.jhat.value = now_pad.hat;
            queue_page_event(e);
        }
        for (std::size_t a = 0; a < now_pad.axes.size(); ++a) {
            if (now_pad.axes[a] == was.axes[a]) continue;
            e = SDL_Event{};
            e.type = e.jaxis.type = SDL_JOYAXISMOTION;
            e.jaxis.which = which;
            e.jaxis.axis = static_cast<Uint8>(a);
            e.jaxis.value = now_pad.axes[a];
            queue_page_event(e);
        }
        for (std::size_t b = 0; b < now_pad.buttons.size(); ++b) {
            if (now_pad.buttons[b] == was.buttons[b]) continue;
            e = SDL_Event{};
            e.type = e.jbutton.type = now_pad.buttons[b] ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
            e.jbutton.which = which;
            e.jbutton.button = static_cast<Uint8>(b);
            e.jbutton.state = now_pad.buttons[b] ? SDL_PRESSED : SDL_RELEASED;
            queue_page_event(e);
        }
        was = now_pad;
    }
}

// The page's window events as the desktop's SDL 1.2 gives them: a hidden page as a minimized
// window, a page that lost the keyboard as a window that did. false for other window events.
bool as_active_event(SDL_Event& event) {
    Uint8 gain = 0, state = 0;
    switch (event.window.event) {
    case SDL_WINDOWEVENT_HIDDEN: state = SDL_APPACTIVE; break;
    case SDL_WINDOWEVENT_SHOWN: gain = 1, state = SDL_APPACTIVE; break;
    case SDL_WINDOWEVENT_FOCUS_LOST: state = SDL_APPINPUTFOCUS; break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: gain = 1, state = SDL_APPINPUTFOCUS; break;
    default: return false;
    }
    event = SDL_Event{};
    event.type = event.active.type = SDL_ACTIVEEVENT;
    event.active.gain = gain;
    event.active.state = state;
    return true;
}

}  // namespace

// An on-screen control of the page (0 Up, 1 Down, 2 Left, 3 Right, 4 Space, 5 Escape, 6 P)
// pressed (down != 0) or let go: the key event the keyboard gives for its key.
extern "C" EMSCRIPTEN_KEEPALIVE void kromblix_page_key(int control, int down) {
    if (control < 0 || control >= static_cast<int>(CONTROL_KEYS.size())) return;
    SDL_Event e{};
    e.type = e.key.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = CONTROL_KEYS[static_cast<std::size_t>(control)];
    queue_page_event(e);
}

int media_poll_event(SDL_Event* event) {
    if (!in_page()) return 0;
    sample_gamepads();
    if (take_page_event(event)) return 1;
    while (SDL_PollEvent(event)) {
        switch (event->type) {
        // The gamepads are read above; SDL's own reading of those open at start would repeat them.
        case SDL_JOYAXISMOTION:
        case SDL_JOYBALLMOTION:
        case SDL_JOYHATMOTION:
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP: continue;
        case SDL_WINDOWEVENT:
            if (as_active_event(*event)) return 1;
            continue;
        default: return 1;
        }
    }
    return 0;
}

// ---- start-up, the screen and bitmaps ----

bool plat_init() {
    if (in_page() && SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) return fail(SDL_GetError());
    return true;
}

SDL_Surface* plat_open_screen(int w, int h, const char* caption) {
    if (in_page()) {
        page_screen = SDL_SetVideoMode(w, h, 32, SDL_SWSURFACE);
        if (!page_screen) {
            fail(SDL_GetError());
            return nullptr;
        }
        SDL_WM_SetCaption(caption, caption);
        // Every present writes the whole frame: a lock need not read the canvas back first.
        EM_ASM({
            SDL.defaults.copyOnLock = false;
            SDL.defaults.discardOnLock = true;
        });
    }
    return make_surface(w, h);
}

// Every surface the game touches is plain memory of our own.
bool plat_must_lock(const SDL_Surface* /*surface*/) { return false; }

// The page has its own icon.
void plat_set_window_icon(const char* /*file*/) {}

SDL_Surface* plat_load_bmp(const char* file) {
    std::vector<std::uint8_t> bytes;
    if (!read_file(file, bytes)) return nullptr;
    return plat_load_bmp_bytes(bytes);
}

SDL_Surface* plat_load_bmp_bytes(std::span<const std::uint8_t> bytes) {
    DecodedBitmap decoded;
    std::string why;
    if (!decode_bmp(bytes, decoded, why)) {
        fail(why);
        return nullptr;
    }
    SDL_Surface* s = make_surface(decoded.w, decoded.h);
    std::copy(decoded.pixels.begin(), decoded.pixels.end(), static_cast<std::uint32_t*>(s->pixels));
    return s;
}

SDL_Surface* plat_convert_bitmap(SDL_Surface* loaded, const SDL_Surface* /*screen*/) {
    // Loaded bitmaps are in the game's format already: a copy is the conversion.
    SDL_Surface* s = make_surface(loaded->w, loaded->h);
    std::copy_n(static_cast<const std::uint32_t*>(loaded->pixels),
                static_cast<std::size_t>(loaded->w) * static_cast<std::size_t>(loaded->h),
                static_cast<std::uint32_t*>(s->pixels));
    return s;
}

void plat_free_surface(SDL_Surface* surface) {
    if (!surface) return;
    delete[] static_cast<std::uint32_t*>(surface->pixels);
    delete surface;
}

const char* plat_error() { return error_text.c_str(); }

// ---- the sound device and files (platform/audio.h) ----

// Without a page there is no device, but nothing is heard either: a device that plays nothing.
bool open_audio() {
    if (!in_page()) return true;
    audio_open = Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) >= 0;
    return audio_open || fail(SDL_GetError());
}

bool load_theme(int theme) {
    const char* file = theme_file_name(theme);
    if (!file) return fail("no such theme");
    const auto i = static_cast<std::size_t>(theme - 1);
    std::vector<std::uint8_t> bytes;
    if (!read_file(file, bytes)) return false;
    if (bytes.empty()) return fail(std::string(file) + " is empty");
    if (in_page()) {
        audio_data::themes[i] = Mix_LoadMUS(file);
        if (!audio_data::themes[i]) return fail(SDL_GetError());
    }
    themes_loaded[i] = true;
    return true;
}

void load_sounds() {
    if (!in_page()) return;
    for (std::size_t i = 0; i < audio_data::sounds.size(); ++i)
        audio_data::sounds[i] = Mix_LoadWAV_RW(SDL_RWFromFile(sound_file_name(static_cast<SoundId>(i)), "rb"), 1);
}

// The page's mixer cannot fade a channel: the sounds stop.
void fade_out_sounds(int /*ms*/) {
    if (in_page()) Mix_HaltChannel(-1);
}

void free_audio() {
    for (Mix_Music*& theme : audio_data::themes) {
        if (theme) Mix_FreeMusic(theme);
        theme = nullptr;
    }
    for (Mix_Chunk*& sound : audio_data::sounds) {
        if (sound) Mix_FreeChunk(sound);
        sound = nullptr;
    }
    themes_loaded = {};
    playing_theme = 0;
}

// ---- the platform layer's defaults ----

void media_play_sound(int channel, SoundId sound) {
    const auto i = static_cast<std::size_t>(sound);
    if (i < audio_data::sounds.size() && audio_data::sounds[i])
        Mix_PlayChannelTimed(channel, audio_data::sounds[i], 0, -1);
}

void media_present(SDL_Surface* screen) {
    if (!page_screen) return;
    const int w = std::min(screen->w, page_screen->w);
    const int rows = std::min(screen->h, page_screen->h);
    // Unlocking puts the page screen's memory on the canvas.
    if (SDL_LockSurface(page_screen) < 0) return;
    for (int y = 0; y < rows; ++y) {
        const auto* src = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(screen->pixels) +
                                                                 y * screen->pitch);
        auto* dst =
            reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(page_screen->pixels) + y * page_screen->pitch);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = src[x];
            dst[x] = (p >> 16 & 0xFF) | (p & 0xFF00) | (p & 0xFF) << 16;
        }
    }
    SDL_UnlockSurface(page_screen);
    // The page marks when the first frame was shown (the time the title takes to appear).
    static bool first_shown = false;
    if (!first_shown) {
        first_shown = true;
        // clang-format off
        EM_ASM({ if (Module.onFirstFrame) Module.onFirstFrame(); });
        // clang-format on
    }
    // The page shows the canvas only when the game gives the browser a turn. The loops sleep
    // between frames, but the cave-complete animation draws its frames back to back.
    emscripten_sleep(0);
}

void media_music_play(int theme) {
    const auto i = static_cast<std::size_t>(theme - 1);
    if (!themes_loaded[i]) return;
    playing_theme = theme;
    if (in_page()) Mix_PlayMusic(audio_data::themes[i], -1);
}

void media_music_halt() {
    playing_theme = 0;
    if (in_page()) Mix_HaltMusic();
}

// The page's mixer cannot fade music either: it stops.
void media_music_fade_out(int ms) {
    playing_theme = 0;
    if (in_page()) Mix_FadeOutMusic(ms);
}

int media_music_playing() { return in_page() ? Mix_PlayingMusic() : playing_theme != 0; }

bool media_has_display() { return in_page(); }

// The page's storage script (storage.js) copies the directory into the browser's storage.
void plat_files_saved() {
    // clang-format off
    if (in_page()) EM_ASM({ if (Module.keepFiles) Module.keepFiles(); });
    // clang-format on
}

// The page's mixer cannot be asked (Mix_QuerySpec is missing there).
bool media_audio_open() { return audio_open; }
