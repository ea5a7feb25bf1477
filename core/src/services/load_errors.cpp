#include "services/load_errors.h"

namespace kvx {

std::string loadErrorText(int result, const std::string& webAddress) {
  switch (result) {
    case 0: {
      std::string text = "To visualize this Kavrik file please update your Kavrik Vieweron the Tamo web site :";
      if (!webAddress.empty()) text += "\n\n" + webAddress + "\n";
      return text;
    }
    case 1: return "File is not a Kavrik file, or contents could not be decrypted";
    case 2: return "File format is corrupted, or contents could not be decrypted";
    case 3: return "File does not exist";
    case 4: return "Could not read file (I/O error)";
    case 5: return "No objects in this file";
    case 7: return "Decryption error";
    default: return "Undescript file load error";
  }
}

}  // namespace kvx
