#include "pagegenerator.h"

namespace {
QByteArray section(int n)
{
    const QByteArray i = QByteArray::number(n);
    return "<h2 class=\"section\" id=\"s" + i + "\">Section " + i +
           "</h2>\r\n"
           "<p align=\"left\">Paragraph " +
           i + " of the report, with <a href=\"page" + i +
           ".html\" target=\"_blank\">a link</a>, some <b>bold</b> and <font face=\"arial\" "
           "color=\"red\">coloured</font> words.</p>\r\n"
           "<table border=\"1\" cellpadding=\"2\" cellspacing=\"0\" width=\"100%\">\r\n"
           "   <tr bgcolor=\"#e0e0e0\">\r\n"
           "      <th>Item</th><th>Count</th><th>Note</th>\r\n"
           "   </tr>\r\n"
           "   <tr>\r\n"
           "      <td>Row " +
           i + "</td><td align=\"right\">" + QByteArray::number(n * 7 % 1000) +
           "</td>\r\n"
           "      <td><table border=\"0\"><tr><td><img src=\"icon.png\" width=\"16\" "
           "height=\"16\"></td><td>nested cell</td></tr></table></td>\r\n"
           "   </tr>\r\n"
           "</table>\r\n" +
           (n % 25 == 0 ? QByteArray("<script language=\"javascript\">\r\n"
                                     "   var total" +
                                     i +
                                     " = 0;\r\n"
                                     "   for (var k = 0; k < 3; k++) { total" +
                                     i +
                                     " += k; }\r\n"
                                     "</script>\r\n")
                        : QByteArray());
}
} // namespace

QByteArray generatePage(qint64 bytes)
{
    QByteArray page = "<html>\r\n<head>\r\n   <title>Generated report</title>\r\n"
                      "   <style>td { font-family: verdana; } .section { color: blue; }</style>\r\n"
                      "   <script>function show(id) { return document.getElementById(id); }"
                      "</script>\r\n</head>\r\n<body bgcolor=\"#ffffff\">\r\n";
    const QByteArray end = "</body>\r\n</html>\r\n";
    for (int n = 1; page.size() + end.size() < bytes; ++n)
        page += section(n);
    return page + end;
}
