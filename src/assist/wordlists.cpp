#include "assist/wordlists.h"

#include "platform/listcontrol.h"

#include <QStringList>

namespace WordLists {
const QString Words = QStringLiteral(
    "a*address*applet*area*arial*br>*body*b*base*basefont*bgsound*big*blockquote*blue*blink*"
    "bottom*button*center*caption*checkbox*cite*code*cols*colgroup*div*dd*dfn*dl*dt*em*embed*"
    "font*file*form*frame*frameset*green*gold*gb2312*hr*h1*h2*head*hidden*html*img*iframe*image*"
    "i*input*javascript*kbd*label*left*li*link*listing*map*marquee*meta*menu*middle*nobr*noframe*"
    "object*ol*option*p*param*password*pre*radio*red*reset*right*rows*samp*script*select*small*"
    "span*strike*style*sub*submit*sup*table*tbody*td*text*textarea*tfoot*th*thead*title*top*tr*"
    "tahoma*u*ul*var*verdana*xmp*_blank*");

const QString Attributes = QStringLiteral(
    "align*alink*action*bgcolor*background*border*bordercolor*bordercolordark*bordercolorlight*"
    "cellpadding*cellspacing*charset*checked*color*class*colspan*content*face*frame*href*height*"
    "http-equiv*id*language*leftmargin*link*name*onClick*onMouseMove*onMouseOut*onMouseOver*"
    "rowspan*rules*src*size*style*shape*target*title*tabindex*topmargin*type*valign*value*vlink*"
    "width*");

void fill(ListControl &list, const QString &stored)
{
    const QStringList pieces = stored.split(u'*');
    for (const QString &piece : pieces) {
        if (!piece.isEmpty())
            list.AddItem(piece);
    }
}
} // namespace WordLists
