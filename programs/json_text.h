// The JSON documents of facemend --check --json and facesplit --list --json: strings that
// hold any bytes a font or a file name may carry, and one way to print a document.
#pragma once

#include <nlohmann/json.hpp>
#include <string_view>

// `bytes` as a JSON string: as it is when it is UTF-8, else each byte as the character of
// that number (ISO 8859-1), so that no byte is lost and the document stays valid.
nlohmann::ordered_json json_bytes(std::string_view bytes);

// Prints the document on standard output, indented, every character outside ASCII and every
// control character escaped by the encoder, and a line break after it.
void print_json_document(const nlohmann::ordered_json& document);
