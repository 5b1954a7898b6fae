#include "picture/heif_image.h"

#include "picture/picture_check.h"

#include <QFile>

#include <libheif/heif.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <mutex>

namespace sorvane {

namespace {

// libheif loads its codec plugins once; its init is counted, and this one
// lasts as long as the program.
void initHeif()
{
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

struct ContextFree {
    void operator()(heif_context *context) const { heif_context_free(context); }
};
struct HandleRelease {
    void operator()(heif_image_handle *handle) const { heif_image_handle_release(handle); }
};
struct OptionsFree {
    void operator()(heif_decoding_options *options) const { heif_decoding_options_free(options); }
};
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;

bool isHeifBrand(heif_brand2 brand)
{
    static const heif_brand2 brands[] = {
        heif_fourcc_to_brand("heic"), heif_fourcc_to_brand("heix"), heif_fourcc_to_brand("heim"),
        heif_fourcc_to_brand("heis"), heif_fourcc_to_brand("hevc"), heif_fourcc_to_brand("hevx"),
        heif_fourcc_to_brand("mif1"), heif_fourcc_to_brand("msf1"), heif_fourcc_to_brand("avif"),
    };
    return std::find(std::begin(brands), std::end(brands), brand) != std::end(brands);
}

QString reasonOf(const heif_error &error)
{
    return QStringLiteral("unreadable HEIF picture (%1)").arg(QString::fromUtf8(error.message));
}

// The primary image of a context that has read a file, or null with the
// reason.
Handle primaryImage(heif_context *context, heif_error read, QString *error)
{
    heif_image_handle *handle = nullptr;
    if (read.code == heif_error_Ok)
        read = heif_context_get_primary_image_handle(context, &handle);
    if (read.code != heif_error_Ok) {
        if (error)
            *error = reasonOf(read);
        return {};
    }
    return Handle(handle);
}

QSize shownSize(const heif_image_handle *handle)
{
    return QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
}

// The memory decoding takes at its peak. libheif keeps a copy of the coded
// data, decodes it to planes (taken as full-size chroma, the most a file
// may have), turns and mirrors them into a copy, then converts them to
// interleaved RGBA; the result, scaled or converted to Qt's format, is one
// more picture.
qint64 decodeBytes(const heif_image_handle *handle, QSize target, qint64 fileBytes)
{
    const QSize size = shownSize(handle);
    const qint64 pixels = qint64(size.width()) * size.height();
    const bool alpha = heif_image_handle_has_alpha_channel(handle);
    const qint64 sampleBytes = heif_image_handle_get_luma_bits_per_pixel(handle) > 8 ? 2 : 1;
    const qint64 planes = pixels * sampleBytes * (alpha ? 4 : 3);
    const qint64 result = target.isEmpty() ? pixels * 4 : qint64(target.width()) * target.height() * 4 * 2;
    return fileBytes + planes + std::max(planes, pixels * 4) + result;
}

// A file read through libheif's reader, from the file itself rather than
// a copy of it in memory.
int64_t filePosition(void *file)
{
    return static_cast<QFile *>(file)->pos();
}
int fileRead(void *data, size_t size, void *file)
{
    return static_cast<QFile *>(file)->read(static_cast<char *>(data), qint64(size)) == qint64(size) ? 0 : 1;
}
int fileSeek(int64_t position, void *file)
{
    return static_cast<QFile *>(file)->seek(position) ? 0 : 1;
}
heif_reader_grow_status fileHolds(int64_t size, void *file)
{
    return size <= static_cast<QFile *>(file)->size() ? heif_reader_grow_status_size_reached
                                                      : heif_reader_grow_status_size_beyond_eof;
}

void releaseImage(void *image)
{
    heif_image_release(static_cast<heif_image *>(image));
}

} // namespace

bool isHeif(QByteArrayView head)
{
    if (head.size() < 12 || head.sliced(4, 4) != "ftyp")
        return false;
    const auto *data = reinterpret_cast<const uint8_t *>(head.data());
    const int length = int(std::min<qsizetype>(head.size(), INT_MAX));
    if (isHeifBrand(heif_read_main_brand(data, length)))
        return true;
    heif_brand2 *brands = nullptr;
    int count = 0;
    if (heif_list_compatible_brands(data, length, &brands, &count).code != heif_error_Ok)
        return false;
    const bool found = std::any_of(brands, brands + count, isHeifBrand);
    heif_free_list_of_compatible_brands(brands);
    return found;
}

QSize heifFileSize(const QString &path, QString *error)
{
    initHeif();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    const heif_reader reader{1, filePosition, fileRead, fileSeek, fileHolds};
    const Context context(heif_context_alloc());
    const Handle handle =
        primaryImage(context.get(), heif_context_read_from_reader(context.get(), &reader, &file, nullptr), error);
    if (!handle)
        return {};
    const QSize size = shownSize(handle.get());
    if (size.isEmpty()) {
        if (error)
            *error = QStringLiteral("HEIF picture without a size");
        return {};
    }
    return size;
}

QImage decodeHeif(QByteArrayView bytes, QSize size, QString *error)
{
    initHeif();
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return QImage();
    };
    const Context context(heif_context_alloc());
    const Handle handle = primaryImage(
        context.get(),
        heif_context_read_from_memory_without_copy(context.get(), bytes.data(), size_t(bytes.size()), nullptr), error);
    if (!handle)
        return {};
    const QSize shown = shownSize(handle.get());
    if (shown.isEmpty())
        return fail(QStringLiteral("HEIF picture without a size"));
    const QString problem = budgetProblem(shown, decodeBytes(handle.get(), size, bytes.size()), bytes.size());
    if (!problem.isEmpty())
        return fail(problem);

    const std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1; // 10-bit photos come as 8 bits a sample
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get());
    heif_image *decoded = nullptr;
    const heif_error decoding =
        heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, options.get());
    if (decoding.code != heif_error_Ok)
        return fail(reasonOf(decoding));
    int stride = 0;
    const uint8_t *plane = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    if (!plane || width <= 0 || height <= 0) {
        heif_image_release(decoded);
        return fail(QStringLiteral("unreadable HEIF picture"));
    }
    // libheif's pixels as they are, released with the last copy; RGBX when
    // opaque, as libheif then fills the alpha bytes with 255.
    const QImage pixels(plane, width, height, stride, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888,
                        releaseImage, decoded);
    QImage image = size.isEmpty() ? pixels : pixels.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return fail(QStringLiteral("not enough memory for the picture"));
    return image;
}

} // namespace sorvane
