// The fixed names of Office Open XML (ECMA-376, Transitional) that the DOCX parts
// are written with, and the declaration line that starts every XML part.
#pragma once

namespace ce::DOCXWriter {

inline constexpr const char* xmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

inline constexpr const char* contentTypesNamespace = "http://schemas.openxmlformats.org/package/2006/content-types";
inline constexpr const char* packageRelationshipsNamespace =
    "http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr const char* corePropertiesNamespace =
    "http://schemas.openxmlformats.org/package/2006/metadata/core-properties";
inline constexpr const char* dublinCoreNamespace = "http://purl.org/dc/elements/1.1/";
inline constexpr const char* wordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
// Also the prefix of the relationship types "officeDocument", "styles", "image" ...
inline constexpr const char* relationshipsNamespace =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr const char* wordDrawingNamespace =
    "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
inline constexpr const char* drawingNamespace = "http://schemas.openxmlformats.org/drawingml/2006/main";
inline constexpr const char* pictureNamespace = "http://schemas.openxmlformats.org/drawingml/2006/picture";
// The namespace of Word's compatibility settings such as compatibilityMode.
inline constexpr const char* wordCompatibilityNamespace = "http://schemas.microsoft.com/office/word";

}  // namespace ce::DOCXWriter
