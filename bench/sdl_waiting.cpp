// Reference for the idle figures: the bare SDL program a still screen
// should cost no more than. It opens the same 1024 x 768 window the game
// does (software renderer, streaming texture), shows one frame, then waits
// for events a second at a time until it is told to end (SIGTERM, or the
// window closed). With a song it also plays that Ogg Vorbis file in a loop
// through SDL audio (44100 Hz stereo, 1024-frame buffers as the game asks),
// decoded as it plays.
// Usage: sdl_waiting [SONG.ogg]

#include <SDL.h>
#include <vorbis/vorbisfile.h>

#include <csignal>
#include <cstring>
#include <vector>

namespace {

volatile std::sig_atomic_t g_end = 0;

void OnSignal(int) {
    g_end = 1;
}

// Fills the device's buffer from the song, starting it again at its end.
void Fill(void* user, Uint8* stream, int length) {
    auto* song = static_cast<OggVorbis_File*>(user);
    int done = 0;
    while (done < length) {
        int section = 0;
        const long got =
            ov_read(song, reinterpret_cast<char*>(stream) + done, length - done, 0, 2, 1, &section);
        if (got <= 0) {
            if (ov_raw_seek(song, 0) != 0) {
                std::memset(stream + done, 0, static_cast<size_t>(length - done));
                return;
            }
            continue;
        }
        done += static_cast<int>(got);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    const bool music = argc > 1;
    if (SDL_Init(SDL_INIT_VIDEO | (music ? SDL_INIT_AUDIO : 0)) != 0) {
        return 1;
    }
    SDL_Window* window =
        SDL_CreateWindow("reference", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1024, 768, 0);
    SDL_Renderer* renderer =
        window != nullptr ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    SDL_Texture* texture = renderer != nullptr
                               ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888,
                                                   SDL_TEXTUREACCESS_STREAMING, 1024, 768)
                               : nullptr;
    if (texture == nullptr) {
        return 1;
    }
    std::vector<uint32_t> frame(1024 * 768, 0x00204060u);
    SDL_UpdateTexture(texture, nullptr, frame.data(), 1024 * 4);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);

    OggVorbis_File song{};
    SDL_AudioDeviceID device = 0;
    if (music && ov_fopen(argv[1], &song) == 0) {
        SDL_AudioSpec want{};
        want.freq = 44100;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = Fill;
        want.userdata = &song;
        device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        if (device != 0) {
            SDL_PauseAudioDevice(device, 0);
        }
    }
    while (g_end == 0) {
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, 1000) == 1 && e.type == SDL_QUIT) {
            break;
        }
    }
    if (device != 0) {
        SDL_CloseAudioDevice(device);
    }
    if (music) {
        ov_clear(&song);
    }
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
