#include "MovieCabinet.h"

#include <libgcab.h>

#include <memory>

#include "Exception.h"
#include "MovieFiles.h"

namespace {

template <class T>
using TGObject = std::unique_ptr<T, decltype(&g_object_unref)>;

template <class T>
TGObject<T> Own(T* object) {
  return TGObject<T>(object, g_object_unref);
}

void Check(gboolean done, GError* error, const std::string& what) {
  if (done) return;
  const std::string message = what + ": " + (error ? error->message : "unknown error");
  if (error) g_error_free(error);
  throw platform::Exception(message);
}

}  // namespace

void WriteMovieCabinet(const std::string& path, const std::vector<uint8_t>& movie) {
  GError* error = nullptr;
  const auto cabinet = Own(gcab_cabinet_new());
  const auto folder = Own(gcab_folder_new(GCAB_COMPRESSION_MSZIP));
  GBytes* bytes = g_bytes_new(movie.data(), movie.size());
  const auto file = Own(gcab_file_new_with_bytes(kMovieFileName, bytes));
  g_bytes_unref(bytes);
  GDateTime* now = g_date_time_new_now_local();
  gcab_file_set_date_time(file.get(), now);
  g_date_time_unref(now);
  Check(gcab_folder_add_file(folder.get(), file.get(), FALSE, nullptr, &error), error, "can't make the cabinet");
  Check(gcab_cabinet_add_folder(cabinet.get(), folder.get(), &error), error, "can't make the cabinet");
  // Written beside it and then put in its place, so that a failure leaves no half cabinet.
  const auto target = Own(g_file_new_for_path(path.c_str()));
  const auto stream = Own(g_file_replace(target.get(), nullptr, FALSE, G_FILE_CREATE_NONE, nullptr, &error));
  Check(stream != nullptr, error, "can't write " + path);
  if (!gcab_cabinet_write_simple(cabinet.get(), G_OUTPUT_STREAM(stream.get()), nullptr, nullptr, nullptr, &error)) {
    GCancellable* cancelled = g_cancellable_new();
    g_cancellable_cancel(cancelled);
    // Closing a cancelled replacement leaves the file that was there.
    (void)g_output_stream_close(G_OUTPUT_STREAM(stream.get()), cancelled, nullptr);
    g_object_unref(cancelled);
    Check(FALSE, error, "can't write " + path);
  }
  Check(g_output_stream_close(G_OUTPUT_STREAM(stream.get()), nullptr, &error), error, "can't write " + path);
}
