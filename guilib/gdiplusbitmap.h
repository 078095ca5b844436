// A skin picture decoded once and kept for the life of the control that loaded it.
#pragma once

#include <QByteArray>
#include <QImage>
#include <memory>

class CGdiPlusBitmap {
public:
    CGdiPlusBitmap() = default;
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;
    virtual ~CGdiPlusBitmap() = default;

    // Drops the picture.
    virtual void Empty() { m_pBitmap.reset(); }

    bool IsLoaded() const { return m_pBitmap != nullptr; }
    // Pixel size; 0 when empty.
    int GetWidth() const { return m_pBitmap ? m_pBitmap->width() : 0; }
    int GetHeight() const { return m_pBitmap ? m_pBitmap->height() : 0; }
    // The picture; null when empty.
    const QImage* Image() const { return m_pBitmap.get(); }

protected:
    std::unique_ptr<QImage> m_pBitmap;
};

// A PNG of the compiled-in skin, looked up by its numeric ID.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
public:
    ~CGdiPlusBitmapResource() override { Empty(); }

    void Empty() override;

    // Loads skin image nId of type pszType ("PNG" is the only type the skin holds). Returns false and
    // stays empty when the image does not exist or cannot be decoded.
    bool Load(int nId, const char* pszType = "PNG");
    // Decodes PNG bytes; the same outcome rules as Load.
    bool LoadFromData(const QByteArray& data);

private:
    QByteArray m_hBuffer; // the encoded bytes, kept as long as the picture
};
