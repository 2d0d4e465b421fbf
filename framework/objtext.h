// The text form of a component stream and the conversion both ways:
//
//     object Name: TClass
//       Left = 10
//       Caption = 'It''s'#13#10'two lines'
//       Align = saClient
//       Options = [opA, opB]
//       Font.Size = 8
//       Items.Strings = (
//         'one'
//         'two')
//       Objects = {
//         0300000001}
//       object Child: TOther
//       end
//     end
//
// Text is GBK like every other framework string; bytes from 0x80 stay inside the
// quotes as they are, control characters are written as #n. Converting text written
// here back gives the binary form byte for byte.
#pragma once

#include "framework/stream.h"

namespace dvr::fw {

// Reads one binary component stream ("TPF0" ...) from Input and writes its text form.
// Malformed input raises EReadError.
void ObjectBinaryToText(TStream& Input, TStream& Output);
// Reads the text form from Input and writes the binary component stream. Malformed text
// raises EReadError naming the line.
void ObjectTextToBinary(TStream& Input, TStream& Output);

} // namespace dvr::fw
