#!/usr/bin/env python3
"""Writes a game folder's index.htm: a service agreement page of a few KB of Traditional Chinese
text, such as a game ships, for the launcher's hidden agreement window in the window bench.

    make_agreement_page.py OUT_FILE
"""
import sys

TITLE = "維拉線上 服務條款與使用者協議"
CLAUSES = [
    ("一、總則",
     "歡迎您使用本遊戲所提供之各項服務。當您點選「同意」並開始使用本服務時，即表示您已閱讀、"
     "瞭解並同意接受本協議之全部內容。若您未滿十八歲，應於您的法定代理人閱讀、瞭解並同意本協議"
     "之所有內容後，方得使用本服務。"),
    ("二、帳號註冊與保管",
     "您應提供真實、正確、最新及完整之個人資料，並負有保管帳號及密碼之責任。任何經由您的帳號"
     "及密碼所進行之行為，均視為您本人之行為。如發現帳號遭他人冒用，應立即通知本公司客服中心。"),
    ("三、遊戲虛擬物品",
     "遊戲中之角色、道具、貨幣及其他虛擬物品，其所有權均屬本公司所有，您僅取得依本協議使用之"
     "權利。您不得以任何方式將虛擬物品於遊戲外進行買賣、轉讓或出租。"),
    ("四、禁止行為",
     "您不得使用外掛程式、加速器或任何未經授權之第三方軟體，亦不得利用程式漏洞取得不當利益，"
     "或以任何方式干擾伺服器之正常運作。違反者，本公司得暫停或終止其帳號之使用權利。"),
    ("五、服務之暫停與變更",
     "本公司得因系統維護、更新、設備故障或不可抗力之因素，暫停或中斷全部或部分服務。本公司將"
     "盡可能於事前在官方網站公告，但緊急情況不在此限。"),
    ("六、個人資料保護",
     "本公司依個人資料保護法之規定蒐集、處理及利用您的個人資料，僅於提供服務之必要範圍內使用，"
     "除法律另有規定外，不會提供予第三人。您得隨時向本公司查詢、閱覽或請求更正您的個人資料。"),
    ("七、免責聲明",
     "因網路連線品質、電腦設備或其他非可歸責於本公司之事由，致您無法正常使用本服務或遊戲資料"
     "發生錯誤時，本公司不負損害賠償責任。"),
    ("八、協議之修改",
     "本公司保留隨時修改本協議之權利，修改後之條款將公告於官方網站，不另行個別通知。您於條款"
     "修改後繼續使用本服務者，視為已同意修改後之內容。"),
    ("九、準據法與管轄法院",
     "本協議之解釋與適用，以中華民國法律為準據法。因本協議所生之爭議，雙方同意以臺灣臺北地方"
     "法院為第一審管轄法院。"),
]


def main() -> None:
    parts = [
        "<!DOCTYPE html>",
        '<html lang="zh-Hant"><head><meta charset="utf-8">',
        f"<title>{TITLE}</title>",
        "<style>body{font-family:sans-serif;font-size:13px;line-height:1.6;margin:12px}"
        "h1{font-size:16px}h2{font-size:14px;margin:14px 0 4px}"
        "a.agree{display:inline-block;margin-top:12px}</style>",
        "</head><body>",
        f"<h1>{TITLE}</h1>",
    ]
    for heading, text in CLAUSES:
        parts.append(f"<h2>{heading}</h2>")
        # Each clause twice over in two paragraphs, as long agreements read.
        parts.append(f"<p>{text}</p>")
        parts.append(f"<p>{text}本條款之未盡事宜，悉依相關法令及本公司之公告辦理。</p>")
    parts.append('<p><a class="agree" href="#agree">我已詳細閱讀並同意以上條款</a></p>')
    parts.append("</body></html>")
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        out.write("\n".join(parts) + "\n")


if __name__ == "__main__":
    main()
