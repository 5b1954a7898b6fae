#include "picture/jpeg_decoder.h"

#include <QColorSpace>
#include <QScopeGuard>
#include <QtMath>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
// After jpeglib.h: which messages exist depends on its configuration.
#include <jerror.h>

namespace sorvane {

namespace {

struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
    bool dataMissing = false;
};

[[noreturn]] void onError(j_common_ptr info)
{
    auto *errors = reinterpret_cast<ErrorManager *>(info->err);
    const int code = info->err->msg_code;
    // Over maxMemory libjpeg would need a backing store on disk, which it
    // has not.
    if (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE)
        std::strcpy(errors->message, "not enough memory for the picture");
    else
        (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// libjpeg goes on after a warning. Those about the compressed data mean that
// part of the picture is made up (grey where the data stopped); others (bytes
// between segments, an unknown JFIF version) change nothing.
void onMessage(j_common_ptr info, int level)
{
    if (level >= 0) // trace messages
        return;
    switch (info->err->msg_code) {
    case JWRN_HIT_MARKER:
    case JWRN_JPEG_EOF:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
        reinterpret_cast<ErrorManager *>(info->err)->dataMissing = true;
        break;
    default:
        break;
    }
}

// The part that libjpeg may leave by longjmp: only plain values live here,
// and results go through the pointers.
bool decode(j_decompress_ptr info, ErrorManager *errors, const uchar *data, size_t size, QSize scaledSize,
            long maxMemory, QImage *image, QByteArray *profile)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_decompress(info);
    info->mem->max_memory_to_use = maxMemory;
    jpeg_mem_src(info, data, static_cast<unsigned long>(size));
    jpeg_save_markers(info, JPEG_APP0 + 2, 0xFFFF); // ICC profiles
    jpeg_read_header(info, TRUE);

    // As Qt's reader: n/8 of the stored size, the smallest n that reaches
    // the size asked for, with the accurate DCT.
    if (!scaledSize.isEmpty()) {
        const double factor =
            qMin(double(info->image_width) / scaledSize.width(), double(info->image_height) / scaledSize.height());
        info->scale_num = qBound(1, qCeil(8 / factor), 8);
        info->scale_denom = 8;
    }
    info->dct_method = JDCT_ISLOW;
    const bool grey = info->jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = info->num_components == 4;
    if (grey)
        info->out_color_space = JCS_GRAYSCALE;
    else if (cmyk)
        info->out_color_space = JCS_CMYK;
    else
        info->out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_calc_output_dimensions(info);
    *image = QImage(int(info->output_width), int(info->output_height),
                    grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (image->isNull()) {
        std::strcpy(errors->message, "not enough memory for the picture");
        return false;
    }
    JOCTET *icc = nullptr;
    unsigned int iccLength = 0;
    if (jpeg_read_icc_profile(info, &icc, &iccLength)) {
        *profile = QByteArray(reinterpret_cast<const char *>(icc), int(iccLength));
        std::free(icc);
    }

    jpeg_start_decompress(info);
    JSAMPARRAY cmykLine =
        cmyk ? (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, info->output_width * 4, 1)
             : nullptr;
    while (info->output_scanline < info->output_height) {
        uchar *line = image->scanLine(int(info->output_scanline));
        JSAMPROW row = cmyk ? cmykLine[0] : line;
        jpeg_read_scanlines(info, &row, 1);
        if (cmyk) {
            // Stored inverted, as Adobe writes CMYK (Qt's reader does the same).
            auto *out = reinterpret_cast<QRgb *>(line);
            for (JDIMENSION x = 0; x < info->output_width; ++x, row += 4)
                out[x] = qRgb(row[3] * row[0] / 255, row[3] * row[1] / 255, row[3] * row[2] / 255);
        }
    }
    jpeg_finish_decompress(info);
    return true;
}

} // namespace

QImage decodeJpeg(QByteArrayView bytes, QSize scaledSize, qint64 maxMemory, QString *error)
{
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = onError;
    errors.manager.emit_message = onMessage;
    const auto destroy = qScopeGuard([&info] { jpeg_destroy_decompress(&info); });
    QImage image;
    QByteArray profile;
    const bool decoded = decode(&info, &errors, reinterpret_cast<const uchar *>(bytes.data()), size_t(bytes.size()),
                                scaledSize, long(maxMemory), &image, &profile);
    if (!decoded || errors.dataMissing) {
        if (error)
            *error = errors.dataMissing ? QStringLiteral("JPEG data cut off or damaged")
                                        : QString::fromLatin1(errors.message);
        return {};
    }
    if (!profile.isEmpty())
        image.setColorSpace(QColorSpace::fromIccProfile(profile));
    return image;
}

} // namespace sorvane
