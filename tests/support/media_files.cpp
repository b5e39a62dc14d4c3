#include "tests/support/media_files.h"

#include <gdkmm/pixbuf.h>
#include <gst/gst.h>

namespace kelvane::test {

void write_wav(const std::filesystem::path& path, double seconds) {
    gst_init(nullptr, nullptr);
    const auto tenths = std::to_string(static_cast<int>(seconds * 10));
    g_autoptr(GstElement) pipeline = gst_parse_launch(("audiotestsrc volume=0.03 samplesperbuffer=800 num-buffers=" + tenths +
                                             " ! audio/x-raw,format=S16LE,rate=8000,channels=1 ! wavenc ! filesink location=\"" +
                                             path.string() + "\"").c_str(), nullptr);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    g_autoptr(GstBus) bus = gst_element_get_bus(pipeline);
    g_autoptr(GstMessage) end = gst_bus_timed_pop_filtered(bus, GST_CLOCK_TIME_NONE, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    gst_element_set_state(pipeline, GST_STATE_NULL);
}

Picture png_picture(int width, int height, std::uint32_t rgba) {
    auto pixbuf = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, false, 8, width, height);
    pixbuf->fill(rgba);
    g_autofree gchar* buffer = nullptr;
    gsize size = 0;
    pixbuf->save_to_buffer(buffer, size, "png");
    return {{reinterpret_cast<std::uint8_t*>(buffer), reinterpret_cast<std::uint8_t*>(buffer) + size}};
}

}  // namespace kelvane::test
