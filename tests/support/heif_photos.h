#pragma once

// HEIF photos made for tests with libheif's own encoder (x265): the pixels
// as stored, the orientation the file gives them (irot and imir boxes), and
// an EXIF block if wanted.
#include <QByteArray>
#include <QImage>

#include <libheif/heif.h>

#include <cstring>
#include <memory>

namespace sorvane::testing {

namespace heif_detail {

inline void check(heif_error error, const char *what)
{
    if (error.code != heif_error_Ok)
        qFatal("%s: %s", what, error.message);
}

inline heif_error append(heif_context *, const void *data, size_t size, void *bytes)
{
    static_cast<QByteArray *>(bytes)->append(static_cast<const char *>(data), qsizetype(size));
    return {heif_error_Ok, heif_suberror_Unspecified, "Success"};
}

} // namespace heif_detail

// A HEIC file of `stored` (its pixels as coded, alpha kept when the picture
// has it) shown in `orientation`; with exif (a TIFF-structured EXIF block)
// it carries that too. The orientation is written as transformations of the
// coded picture itself, without the grid item libheif may wrap around it.
inline QByteArray encodeHeic(const QImage &stored, heif_orientation orientation = heif_orientation_normal,
                             const QByteArray &exif = {})
{
    using heif_detail::check;
    const bool alpha = stored.hasAlphaChannel();
    const QImage rgba = stored.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    heif_image *image = nullptr;
    check(heif_image_create(rgba.width(), rgba.height(), heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image),
          "heif_image_create");
    check(heif_image_add_plane(image, heif_channel_interleaved, rgba.width(), rgba.height(), 8),
          "heif_image_add_plane");
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgba.height(); ++y)
        memcpy(plane + y * stride, rgba.constScanLine(y), size_t(rgba.width()) * (alpha ? 4 : 3));

    const std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(), heif_context_free);
    heif_encoder *encoder = nullptr;
    check(heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &encoder), "HEVC encoder");
    heif_encoder_set_lossy_quality(encoder, 90);
    heif_encoding_options *options = heif_encoding_options_alloc();
    options->macOS_compatibility_workaround = 0;
    options->image_orientation = orientation;
    heif_image_handle *handle = nullptr;
    check(heif_context_encode_image(context.get(), image, encoder, options, &handle), "heif_context_encode_image");
    if (!exif.isEmpty())
        check(heif_context_add_exif_metadata(context.get(), handle, exif.constData(), int(exif.size())), "EXIF");
    heif_image_handle_release(handle);
    heif_encoding_options_free(options);
    heif_encoder_release(encoder);
    heif_image_release(image);

    QByteArray bytes;
    heif_writer writer{1, heif_detail::append};
    check(heif_context_write(context.get(), &writer, &bytes), "heif_context_write");
    return bytes;
}

// The size of the primary image's pixels as coded, before its orientation.
inline QSize storedHeifSize(const QByteArray &heic)
{
    using heif_detail::check;
    const std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(), heif_context_free);
    check(heif_context_read_from_memory_without_copy(context.get(), heic.constData(), size_t(heic.size()), nullptr),
          "read");
    heif_image_handle *handle = nullptr;
    check(heif_context_get_primary_image_handle(context.get(), &handle), "primary image");
    heif_decoding_options *options = heif_decoding_options_alloc();
    options->ignore_transformations = 1;
    heif_image *image = nullptr;
    check(heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, options), "decode");
    const QSize size(heif_image_get_width(image, heif_channel_interleaved),
                     heif_image_get_height(image, heif_channel_interleaved));
    heif_image_release(image);
    heif_decoding_options_free(options);
    heif_image_handle_release(handle);
    return size;
}

} // namespace sorvane::testing
