#include "GimpDocument.h"

#include "HostError.h"
#include "ImageIO.h"

#include <memory>

namespace {

// Sides of the layer in the order GIMP's functions take them, in the layer's own coordinates.
GeglRectangle layerRect(gint32 drawable) {
    return {0, 0, gimp_drawable_width(drawable), gimp_drawable_height(drawable)};
}

// The same pixels in the image's coordinates, where the selection and saved channels live.
GeglRectangle imageRect(gint32 drawable) {
    GeglRectangle rect = layerRect(drawable);
    gimp_drawable_offsets(drawable, &rect.x, &rect.y);
    return rect;
}

std::string nameOf(gint32 item) {
    gchar* name = gimp_item_get_name(item);
    std::string text = name ? name : "";
    g_free(name);
    return text;
}

struct BufferUnref {
    void operator()(GeglBuffer* buffer) const { g_object_unref(buffer); }
};
using BufferPtr = std::unique_ptr<GeglBuffer, BufferUnref>;

// `rect` of `item`'s pixels as one grey byte each, in `format` or (null) as the item keeps them,
// which for a channel of an 8-bit image is one byte; what lies outside the item reads 0.
PlaneBytes greyPlane(gint32 item, const GeglRectangle& rect, const Babl* format = nullptr) {
    PlaneBytes plane(std::size_t(rect.width) * std::size_t(rect.height));
    const BufferPtr buffer(gimp_drawable_get_buffer(item));
    gegl_buffer_get(buffer.get(), &rect, 1.0, format ? format : gimp_drawable_get_format(item), plane.data(),
                    GEGL_AUTO_ROWSTRIDE, GEGL_ABYSS_NONE);
    return plane;
}

// The layer's rows as a file's would come: red, green, blue and alpha when it has one, 8 bits.
class LayerRows final : public RowReader {
  public:
    explicit LayerRows(gint32 drawable) : buffer_(gimp_drawable_get_buffer(drawable)) {
        width_ = gimp_drawable_width(drawable);
        height_ = gimp_drawable_height(drawable);
        alpha_ = gimp_drawable_has_alpha(drawable);
    }

    void ReadRows(std::uint8_t* out, int count) override {
        const GeglRectangle rows{0, next_, width_, count};
        gegl_buffer_get(buffer_.get(), &rows, 1.0, babl_format(alpha_ ? "R'G'B'A u8" : "R'G'B' u8"), out,
                        GEGL_AUTO_ROWSTRIDE, GEGL_ABYSS_NONE);
        next_ += count;
    }

  private:
    BufferPtr buffer_;
    int next_ = 0;
};

void checkKind(gint32 image, gint32 drawable) {
    if (!gimp_item_is_layer(drawable) || gimp_item_is_group(drawable))
        BadInput("Relight works on a layer: choose one in the Layers dialog");
    if (!gimp_drawable_is_rgb(drawable))
        BadInput("Relight works on RGB images: choose Image > Mode > RGB first");
    if (gimp_image_get_precision(image) != GIMP_PRECISION_U8_GAMMA)
        BadInput("Relight works on 8-bit images: choose Image > Precision > 8 bit integer, "
                 "perceptual gamma, first");
}

void readColours(Document& document, LayerRows& rows) {
    const std::vector<RowTarget> targets = SourceTargets(document, rows);
    constexpr int kBand = 64;
    std::vector<std::uint8_t> band(std::size_t(kBand) * std::size_t(rows.Width()) *
                                   std::size_t(rows.SamplesPerPixel()));
    for (int top = 0; top < rows.Height(); top += kBand) {
        const int count = std::min(kBand, rows.Height() - top);
        rows.ReadRows(band.data(), count);
        for (int y = 0; y < count; ++y)
            SplitRow(band.data() +
                         std::size_t(y) * std::size_t(rows.Width()) * std::size_t(rows.SamplesPerPixel()),
                     rows.SamplesPerPixel(), rows.Width(), top + y, targets);
    }
}

// The image's saved selections, then its other layers' brightness, each over this layer's pixels.
void addTextureChannels(Document& document, gint32 image, gint32 drawable) {
    const GeglRectangle here = imageRect(drawable);
    gint count = 0;
    gint* channels = gimp_image_get_channels(image, &count);
    for (gint i = 0; i < count; ++i)
        document.channels.push_back({nameOf(channels[i]), greyPlane(channels[i], here)});
    g_free(channels);
    gint* layers = gimp_image_get_layers(image, &count);
    for (gint i = 0; i < count; ++i) {
        if (layers[i] == drawable || gimp_item_is_group(layers[i]))
            continue;
        GeglRectangle there = here;
        gint x = 0, y = 0;
        gimp_drawable_offsets(layers[i], &x, &y);
        there.x -= x;
        there.y -= y;
        document.channels.push_back({nameOf(layers[i]), greyPlane(layers[i], there, babl_format("Y' u8"))});
    }
    g_free(layers);
}

void selectArea(Document& document, gint32 image, gint32 drawable) {
    gint x = 0, y = 0, width = 0, height = 0;
    if (!gimp_drawable_mask_intersect(drawable, &x, &y, &width, &height))
        BadInput("the selection does not touch the layer: select part of it, or Select > None");
    SetArea(document, {x, y, width, height}, nameOf(drawable));
    if (!gimp_selection_is_empty(image))
        document.mask = greyPlane(gimp_image_get_selection(image), imageRect(drawable));
}

} // namespace

Document ReadDrawable(gint32 image, gint32 drawable) {
    checkKind(image, drawable);
    const std::string name = nameOf(drawable);
    CheckImageSize(gimp_drawable_width(drawable), gimp_drawable_height(drawable), kDefaultMaxPixels, name);
    return WithMemoryFor(name, [&] {
        LayerRows rows(drawable);
        Document document = BlankDocument(rows);
        readColours(document, rows);
        addTextureChannels(document, image, drawable);
        selectArea(document, image, drawable);
        return document;
    });
}

void WriteDrawable(const Document& document, gint32 image, gint32 drawable) {
    const std::uint8_t* planes[4] = {document.result[0].data(), document.result[1].data(),
                                     document.result[2].data(),
                                     document.source.alpha ? document.channels[3].bytes.data() : nullptr};
    const RowLayout layout{document.source.alpha, false};
    std::vector<std::uint8_t> pixels(layout.RowBytes(document.width) * std::size_t(document.height));
    for (int y = 0; y < document.height; ++y)
        InterleaveRow(planes, layout, document.width, y, pixels.data() + layout.RowBytes(document.width) * y);
    const GeglRectangle whole = layerRect(drawable);
    {
        const BufferPtr shadow(gimp_drawable_get_shadow_buffer(drawable));
        gegl_buffer_set(shadow.get(), &whole, 0, babl_format(layout.alpha ? "R'G'B'A u8" : "R'G'B' u8"),
                        pixels.data(), GEGL_AUTO_ROWSTRIDE);
    }
    gimp_image_undo_group_start(image);
    const gint32 selection = document.mask.empty() ? -1 : gimp_selection_save(image);
    if (selection != -1)
        gimp_selection_none(image);
    gimp_drawable_merge_shadow(drawable, TRUE);
    if (selection != -1) {
        gimp_image_select_item(image, GIMP_CHANNEL_OP_REPLACE, selection);
        gimp_image_remove_channel(image, selection);
    }
    gimp_image_undo_group_end(image);
    const Rect& area = document.area;
    gimp_drawable_update(drawable, area.left, area.top, area.right - area.left, area.bottom - area.top);
}
