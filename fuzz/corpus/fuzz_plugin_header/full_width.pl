# VERSION 1.0（試作） FOR 板 BY 作者
# 表示\nのテスト
#[dialog]
#L000=C,表n,チェック\nL001=.
