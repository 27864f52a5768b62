#include "skin/skin_image.h"

#include <objbase.h>

#include <cstring>

#include "skin/gdiplus_owners.h"
#include "skin/resource_lookup.h"

namespace {

constexpr wchar_t kImageType[] = L"IMAGE";

// Frees a global memory block unless ownership passed on (to a stream).
class GlobalBlock {
public:
    explicit GlobalBlock(HGLOBAL block) : block_(block) {}
    ~GlobalBlock()
    {
        if (block_ != nullptr) GlobalFree(block_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL get() const { return block_; }
    HGLOBAL release()
    {
        HGLOBAL block = block_;
        block_ = nullptr;
        return block;
    }

private:
    HGLOBAL block_;
};

struct StreamRelease {
    void operator()(IStream* stream) const { stream->Release(); }
};

}  // namespace

SkinImage::SkinImage(Gdiplus::GpBitmap* bitmap) : bitmap_(bitmap)
{
    if (bitmap_ == nullptr) return;
    UINT width = 0;
    UINT height = 0;
    skin::gp::GdipGetImageWidth(bitmap_, &width);
    skin::gp::GdipGetImageHeight(bitmap_, &height);
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);
}

SkinImage::~SkinImage()
{
    if (bitmap_ != nullptr) skin::gp::GdipDisposeImage(bitmap_);
}

std::unique_ptr<SkinImage> LoadSkinImage(HMODULE module, const wchar_t* name)
{
    if (name == nullptr || !SkinGraphics().started()) return nullptr;
    skin::ResourceBytes resource;
    if (!skin::FindNamedResource(module, kImageType, name, resource)) return nullptr;
    const DWORD size = resource.size;
    const void* bytes = resource.data;

    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (block.get() == nullptr) return nullptr;
    void* copy = GlobalLock(block.get());
    if (copy == nullptr) return nullptr;
    memcpy(copy, bytes, size);
    GlobalUnlock(block.get());

    IStream* rawStream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block.get(), TRUE, &rawStream)) || rawStream == nullptr)
        return nullptr;
    block.release();  // the stream frees it now
    std::unique_ptr<IStream, StreamRelease> stream(rawStream);

    // The decoder holds its own reference to the stream for as long as the bitmap lives.
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (skin::gp::GdipCreateBitmapFromStream(stream.get(), &bitmap) != Gdiplus::Ok) bitmap = nullptr;
    return std::make_unique<SkinImage>(bitmap);
}
