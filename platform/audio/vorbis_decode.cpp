// Decode-only streams: Ogg Vorbis files to 16-bit little-endian PCM through
// libvorbisfile, at the file's own rate and channel count.
#include <vorbis/vorbisfile.h>

#include <cstdio>

#include "platform/audio/device.h"
#include "platform/crt.h"

namespace platform {
namespace audio {
namespace {

size_t ReadFile(void* ptr, size_t size, size_t count, void* src)
{
    return fread(ptr, size, count, static_cast<FILE*>(src));
}

int SeekFile(void* src, ogg_int64_t offset, int whence)
{
    return fseeko(static_cast<FILE*>(src), off_t(offset), whence);
}

int CloseFile(void* src) { return fclose(static_cast<FILE*>(src)); }

long TellFile(void* src) { return long(ftello(static_cast<FILE*>(src))); }

class VorbisDecoder : public Decoder
{
public:
    ~VorbisDecoder() override
    {
        if (opened_)
            ov_clear(&file_);  // also closes the file
    }

    bool Open(const char* path)
    {
        FILE* f = crt::fopen(path, "rb");
        if (!f)
            return false;
        ov_callbacks callbacks{ReadFile, SeekFile, CloseFile, TellFile};
        if (ov_open_callbacks(f, &file_, nullptr, 0, callbacks) != 0)
        {
            fclose(f);
            return false;
        }
        opened_ = true;
        vorbis_info* info = ov_info(&file_, -1);
        if (!info || info->channels <= 0 || info->rate <= 0)
            return false;
        rate_ = uint32_t(info->rate);
        channels_ = uint32_t(info->channels);
        ogg_int64_t total = ov_pcm_total(&file_, -1);
        total_ = total > 0 ? uint64_t(total) * channels_ * 2 : 0;
        return true;
    }

    uint32_t Rate() const override { return rate_; }
    uint32_t Channels() const override { return channels_; }
    uint64_t TotalBytes() const override { return total_; }

    long Read(uint8_t* buffer, uint32_t length) override
    {
        int section = 0;
        long n = ov_read(&file_, reinterpret_cast<char*>(buffer), int(length), 0, 2, 1, &section);
        // A link with another channel layout would change the meaning of the
        // bytes already written: treat it as broken data.
        if (n > 0)
        {
            vorbis_info* info = ov_info(&file_, -1);
            if (!info || uint32_t(info->channels) != channels_ || uint32_t(info->rate) != rate_)
                return -1;
        }
        return n;
    }

private:
    OggVorbis_File file_{};
    bool opened_ = false;
    uint32_t rate_ = 0;
    uint32_t channels_ = 0;
    uint64_t total_ = 0;
};

}  // namespace

std::unique_ptr<Decoder> OpenVorbisDecoder(const char* path)
{
    auto d = std::make_unique<VorbisDecoder>();
    if (!d->Open(path))
        return nullptr;
    return d;
}

}  // namespace audio
}  // namespace platform
