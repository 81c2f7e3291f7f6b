#include "ui/guide/jpegimage.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>  // warning codes
#include <jpeglib.h>

namespace guide {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;  // first, so libjpeg's pointer is ours too
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool truncated;
};

// libjpeg's default would print and exit(); return to the caller instead.
[[noreturn]] void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings of slightly odd files are not printed; a file that ends early
// would decode to a half-grey picture and counts as damaged.
void OnMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) err->truncated = true;
}

// Kept free of C++ objects with destructors: longjmp skips them.
bool Decode(const unsigned char* bytes, unsigned long size, ErrorManager* err, jpeg_decompress_struct* cinfo,
            QImage* out) {
  if (setjmp(err->jump)) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, bytes, size);
  jpeg_read_header(cinfo, TRUE);
  cinfo->out_color_space = JCS_RGB;
  jpeg_start_decompress(cinfo);
  if (cinfo->output_components != 3 || static_cast<int>(cinfo->output_width) != out->width() ||
      static_cast<int>(cinfo->output_height) != out->height()) {
    std::snprintf(err->message, sizeof err->message, "unexpected JPEG output layout");
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = out->scanLine(static_cast<int>(cinfo->output_scanline));
    jpeg_read_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_decompress(cinfo);
  jpeg_destroy_decompress(cinfo);
  return true;
}

// Reads only the header, to size the target image before decoding.
bool ReadSize(const unsigned char* bytes, unsigned long size, ErrorManager* err, jpeg_decompress_struct* cinfo,
              int* width, int* height) {
  if (setjmp(err->jump)) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, bytes, size);
  jpeg_read_header(cinfo, TRUE);
  *width = static_cast<int>(cinfo->image_width);
  *height = static_cast<int>(cinfo->image_height);
  jpeg_destroy_decompress(cinfo);
  return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& data, QString* error) {
  const auto fail = [error](const QString& why) {
    if (error) *error = why;
    return QImage();
  };
  if (data.isEmpty()) return fail(QStringLiteral("empty JPEG data"));

  ErrorManager err{};
  jpeg_decompress_struct cinfo{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = OnMessage;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
  const auto size = static_cast<unsigned long>(data.size());

  int width = 0, height = 0;
  if (!ReadSize(bytes, size, &err, &cinfo, &width, &height)) return fail(QString::fromLocal8Bit(err.message));
  QImage image(width, height, QImage::Format_RGB888);
  if (image.isNull()) return fail(QStringLiteral("JPEG picture too large (%1 x %2)").arg(width).arg(height));

  cinfo = jpeg_decompress_struct{};
  cinfo.err = &err.pub;
  if (!Decode(bytes, size, &err, &cinfo, &image)) return fail(QString::fromLocal8Bit(err.message));
  if (err.truncated) return fail(QStringLiteral("JPEG data ends early"));
  return image;
}

}  // namespace guide
