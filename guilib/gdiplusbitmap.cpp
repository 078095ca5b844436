#include "gdiplusbitmap.h"

#include <QFile>
#include <cstring>

#include "skin/skinmanifest.h"

void CGdiPlusBitmapResource::Empty() {
    m_pBitmap.reset();
    m_hBuffer.clear();
    m_hBuffer.squeeze();
}

bool CGdiPlusBitmapResource::Load(int nId, const char* pszType) {
    Empty();
    if (!pszType || std::strcmp(pszType, "PNG") != 0) return false;
    InitSkinResources();
    QFile file(SkinResourcePath(nId));
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    return LoadFromData(bytes);
}

bool CGdiPlusBitmapResource::LoadFromData(const QByteArray& data) {
    Empty();
    if (data.isEmpty()) return false;
    m_hBuffer = data;
    auto pImage = std::make_unique<QImage>();
    if (pImage->loadFromData(m_hBuffer, "PNG") && !pImage->isNull()) {
        m_pBitmap = std::move(pImage);
        return true;
    }
    Empty();
    return false;
}
