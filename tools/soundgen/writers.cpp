// Wave and Ogg Vorbis writers for the generated sounds.
#include <vorbis/vorbisenc.h>

#include <cstdio>
#include <cstring>

#include "synth.h"

namespace synth {

std::vector<int16_t> ToPcm16(const Buffer& b)
{
    std::vector<int16_t> pcm(b.data.size());
    for (size_t i = 0; i < b.data.size(); ++i)
    {
        double v = std::max(-1.0, std::min(1.0, double(b.data[i])));
        pcm[i] = int16_t(std::lround(v * 32767.0));
    }
    return pcm;
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t((v >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

bool WriteBytes(const std::string& path, const void* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

bool WriteWav(const std::string& path, const Buffer& b)
{
    std::vector<int16_t> pcm = ToPcm16(b);
    uint32_t dataBytes = uint32_t(pcm.size() * 2);
    uint32_t block = uint32_t(b.channels) * 2;
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, uint32_t(b.channels));
    Put32(out, uint32_t(b.rate));
    Put32(out, uint32_t(b.rate) * block);
    Put16(out, block);
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataBytes);
    for (int16_t s : pcm)
        Put16(out, uint16_t(s));
    return WriteBytes(path, out.data(), out.size());
}

bool WriteOgg(const std::string& path, const Buffer& b, float quality, uint32_t serial)
{
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, b.channels, b.rate, quality) != 0)
    {
        vorbis_info_clear(&vi);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "ENCODER", "soundgen");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, int(serial));

    std::vector<uint8_t> out;
    auto flushPages = [&](bool force) {
        ogg_page og;
        while (force ? ogg_stream_flush(&os, &og) : ogg_stream_pageout(&os, &og))
        {
            out.insert(out.end(), og.header, og.header + og.header_len);
            out.insert(out.end(), og.body, og.body + og.body_len);
        }
    };

    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    flushPages(true);

    auto drain = [&]() {
        while (vorbis_analysis_blockout(&vd, &vb) == 1)
        {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op))
            {
                ogg_stream_packetin(&os, &op);
                flushPages(false);
            }
        }
    };
    const size_t frames = b.Frames();
    const size_t chunk = 4096;
    for (size_t at = 0; at < frames; at += chunk)
    {
        size_t n = std::min(chunk, frames - at);
        float** in = vorbis_analysis_buffer(&vd, int(n));
        for (size_t i = 0; i < n; ++i)
            for (int c = 0; c < b.channels; ++c)
                in[c][i] = b.data[(at + i) * size_t(b.channels) + size_t(c)];
        vorbis_analysis_wrote(&vd, int(n));
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);  // end of stream
    drain();
    flushPages(true);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return WriteBytes(path, out.data(), out.size());
}

}  // namespace synth
