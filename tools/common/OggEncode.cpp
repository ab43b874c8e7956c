#include "OggEncode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace ToolSupport {

std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& samples, int channels, int rate,
                                     float quality) {
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    auto pages = [&](bool flush) {
        ogg_page og;
        while (flush ? ogg_stream_flush(&os, &og) : ogg_stream_pageout(&os, &og)) {
            out.insert(out.end(), og.header, og.header + og.header_len);
            out.insert(out.end(), og.body, og.body + og.body_len);
        }
    };
    auto drain = [&] {
        ogg_packet op;
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                pages(false);
            }
        }
    };
    ogg_packet h1, h2, h3;
    vorbis_analysis_headerout(&vd, &vc, &h1, &h2, &h3);
    ogg_stream_packetin(&os, &h1);
    ogg_stream_packetin(&os, &h2);
    ogg_stream_packetin(&os, &h3);
    pages(true);
    const size_t frames = samples.size() / static_cast<size_t>(channels);
    for (size_t done = 0; done < frames;) {
        const int n = static_cast<int>(std::min<size_t>(4096, frames - done));
        float** buf = vorbis_analysis_buffer(&vd, n);
        for (int i = 0; i < n; ++i) {
            for (int c = 0; c < channels; ++c) {
                buf[c][i] =
                    samples[(done + static_cast<size_t>(i)) * static_cast<size_t>(channels) +
                            static_cast<size_t>(c)];
            }
        }
        vorbis_analysis_wrote(&vd, n);
        done += static_cast<size_t>(n);
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    pages(true);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

}  // namespace ToolSupport
