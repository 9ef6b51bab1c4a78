// case.h - the case conversions applied to names and to BNF text.
#ifndef KH_FRAME_CASE_H
#define KH_FRAME_CASE_H

namespace kh {

// ASCII through the wide-character case maps; of the bytes 128 to 255 only
// seventeen Latin-1 letter pairs are mapped.
int CharToUpper(int c);
int CharToLower(int c);
// Copy with conversion; a limit above 0 copies at most limit - 1
// characters, 0 or less the whole string.  The copy ends with a NUL.
void UpperCaseCopy(const char *source, char *destination, int limit);
void LowerCaseCopy(const char *source, char *destination, int limit);
// Whether two strings are equal ignoring the case of ASCII letters: the C
// library's own comparison, _stricmp on Windows, strcasecmp elsewhere.
bool SameIgnoringCase(const char *a, const char *b);

}  // namespace kh

#endif  // KH_FRAME_CASE_H
