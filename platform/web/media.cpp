// The media in a web page: Emscripten's SDL 1.2 over the page's canvas and Web Audio. The same
// build also runs under node with no page at all (the replay runner does): there the screen is
// memory only, music and sounds are not loaded and play nothing, as with SDL's dummy drivers on
// the desktop.
//
// The game draws 0x00RRGGBB words into a screen of its own in memory; the page's canvas holds
// bytes R, G, B, A, so each frame is converted into the page's screen when it is presented.
// Bitmaps are read with our own BMP reader: the page's SDL only decodes pictures the browser
// has preloaded, and gives them in the canvas's channel order.
#include "platform/media.h"

#include "platform/audio.h"
#include "platform/audio_data.h"
#include "platform/bmp_decode.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
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

}  // namespace

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

// The page's mixer cannot be asked (Mix_QuerySpec is missing there).
bool media_audio_open() { return audio_open; }
