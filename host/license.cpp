// The licence page opened with Alt+L: the notices of every library the engine links.
#include <cstdio>

#include "host/engine.h"

namespace qor {
namespace {

struct Notice {
  const char* title;
  const char* text;
};

// The libraries' own published licence texts.
const Notice kNotices[] = {
    {"Lua 5.1",
     "Copyright (C) 1994-2012 Lua.org, PUC-Rio.\n"
     "Permission is hereby granted, free of charge, to any person obtaining a copy of this software and "
     "associated documentation files (the \"Software\"), to deal in the Software without restriction, including "
     "without limitation the rights to use, copy, modify, merge, publish, distribute, sublicense, and/or sell "
     "copies of the Software, and to permit persons to whom the Software is furnished to do so, subject to the "
     "following conditions:\n"
     "The above copyright notice and this permission notice shall be included in all copies or substantial "
     "portions of the Software.\n"
     "THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING BUT NOT "
     "LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO "
     "EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY, WHETHER "
     "IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM, OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE "
     "USE OR OTHER DEALINGS IN THE SOFTWARE."},
    {"libpng", "This software uses libpng (PNG Reference Library), Copyright (c) 1995-2023 The PNG Reference "
               "Library Authors, distributed under the PNG Reference Library License version 2."},
    {"zlib",
     "Copyright (C) 1995-2022 Jean-loup Gailly and Mark Adler.\n"
     "This software is provided 'as-is', without any express or implied warranty. In no event will the authors "
     "be held liable for any damages arising from the use of this software.\n"
     "Permission is granted to anyone to use this software for any purpose, including commercial applications, "
     "and to alter it and redistribute it freely, subject to the following restrictions:\n"
     "1. The origin of this software must not be misrepresented; you must not claim that you wrote the original "
     "software. If you use this software in a product, an acknowledgment in the product documentation would be "
     "appreciated but is not required.\n"
     "2. Altered source versions must be plainly marked as such, and must not be misrepresented as being the "
     "original software.\n"
     "3. This notice may not be removed or altered from any source distribution."},
    {"Ogg Vorbis (libogg, libvorbis)",
     "Copyright (c) 2002-2020 Xiph.org Foundation\n"
     "Redistribution and use in source and binary forms, with or without modification, are permitted provided "
     "that the following conditions are met:\n"
     "- Redistributions of source code must retain the above copyright notice, this list of conditions and the "
     "following disclaimer.\n"
     "- Redistributions in binary form must reproduce the above copyright notice, this list of conditions and "
     "the following disclaimer in the documentation and/or other materials provided with the distribution.\n"
     "- Neither the name of the Xiph.org Foundation nor the names of its contributors may be used to endorse or "
     "promote products derived from this software without specific prior written permission.\n"
     "THIS SOFTWARE IS PROVIDED BY THE COPYRIGHT HOLDERS AND CONTRIBUTORS \"AS IS\" AND ANY EXPRESS OR IMPLIED "
     "WARRANTIES, INCLUDING, BUT NOT LIMITED TO, THE IMPLIED WARRANTIES OF MERCHANTABILITY AND FITNESS FOR A "
     "PARTICULAR PURPOSE ARE DISCLAIMED. IN NO EVENT SHALL THE FOUNDATION OR CONTRIBUTORS BE LIABLE FOR ANY "
     "DIRECT, INDIRECT, INCIDENTAL, SPECIAL, EXEMPLARY, OR CONSEQUENTIAL DAMAGES (INCLUDING, BUT NOT LIMITED TO, "
     "PROCUREMENT OF SUBSTITUTE GOODS OR SERVICES; LOSS OF USE, DATA, OR PROFITS; OR BUSINESS INTERRUPTION) "
     "HOWEVER CAUSED AND ON ANY THEORY OF LIABILITY, WHETHER IN CONTRACT, STRICT LIABILITY, OR TORT (INCLUDING "
     "NEGLIGENCE OR OTHERWISE) ARISING IN ANY WAY OUT OF THE USE OF THIS SOFTWARE, EVEN IF ADVISED OF THE "
     "POSSIBILITY OF SUCH DAMAGE."},
    {"SDL2",
     "Simple DirectMedia Layer, Copyright (C) 1997-2023 Sam Lantinga.\n"
     "This software is provided 'as-is', without any express or implied warranty. In no event will the authors "
     "be held liable for any damages arising from the use of this software.\n"
     "Permission is granted to anyone to use this software for any purpose, including commercial applications, "
     "and to alter it and redistribute it freely, subject to the following restrictions:\n"
     "1. The origin of this software must not be misrepresented; you must not claim that you wrote the original "
     "software.\n"
     "2. Altered source versions must be plainly marked as such, and must not be misrepresented as being the "
     "original software.\n"
     "3. This notice may not be removed or altered from any source distribution."},
    {"libjpeg-turbo",
     "This software is based in part on the work of the Independent JPEG Group.\n"
     "libjpeg-turbo: Copyright (C) 2009-2023 D. R. Commander. Copyright (C) 2015 Viktor Szathmary. "
     "Distributed under the IJG License and the Modified (3-clause) BSD License."},
    {"FreeType",
     "Portions of this software are copyright (C) 2006-2023 The FreeType Project (www.freetype.org). "
     "All rights reserved. Used under the FreeType License (FTL)."},
    {"FFmpeg",
     "This software uses libraries from the FFmpeg project (libavformat, libavcodec, libavutil, libswscale, "
     "libswresample), Copyright (C) 2000-2023 the FFmpeg developers, under the GNU Lesser General Public "
     "License version 2.1 or later. Their source code is available from https://ffmpeg.org/ and from the "
     "Debian source package ffmpeg."},
    {"libvpx",
     "Copyright (c) 2010, The WebM Project authors. All rights reserved.\n"
     "Redistribution and use in source and binary forms, with or without modification, are permitted provided "
     "that the conditions of the Modified (3-clause) BSD License are met; the libvpx distribution carries the "
     "full text and the additional IP rights grant."},
};

void WriteEscaped(FILE* f, const char* s) {
  for (; *s; ++s) {
    switch (*s) {
      case '<': fputs("&lt;", f); break;
      case '>': fputs("&gt;", f); break;
      case '&': fputs("&amp;", f); break;
      case '\n': fputs("<BR>\n", f); break;
      default: fputc(*s, f);
    }
  }
  fputs("<BR>\n", f);
}

}  // namespace

void WriteLicensePage(FILE* f) {
  fputs("<html><head><meta charset=\"utf-8\"><title>License</title></head><body>\n<h1>License</h1>\n", f);
  bool first = true;
  for (const Notice& n : kNotices) {
    if (!first) fputs("<hr>\n", f);
    first = false;
    fprintf(f, "<b>%s</b><BR>\n", n.title);
    WriteEscaped(f, n.text);
  }
  fputs("</body></html>\n", f);
}

}  // namespace qor
